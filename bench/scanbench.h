#pragma once

#include <QByteArrayList>

// The folder scan's benchmark, run through the real scanner on its thread into the real list:
//   --scan ANSWER DIR      scans DIR for ANSWER
//   --scan-tree N DIR      builds a tree of N files in N/20 folders inside DIR, scans it for psd
// Arguments are bytes, as the program was given them. Prints the paths one scan appended, one a
// line as their bytes, then
//   entries=N seconds=S find_seconds=F ratio=R
// where S and F are the best of three and F is the time of `find DIR -iname '*.ANSWER'` on the
// same tree. Returns the exit code.
int RunScanBench(const QByteArrayList &args);
