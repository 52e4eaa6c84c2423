#pragma once

#include <QStringList>

// The folder scan's benchmark, run through the real intake with the prompts answered in code:
//   --scan ANSWER DIR      scans DIR for ANSWER
//   --scan-tree N DIR      builds a tree of N files in N/20 folders inside DIR, scans it for psd
// Prints every appended path, one a line, then
//   entries=N seconds=S find_seconds=F ratio=R
// where F is the time of `find DIR -iname '*.ANSWER'` on the same tree. Returns the exit code.
int RunScanBench(const QStringList &args);
