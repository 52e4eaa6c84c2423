#pragma once

#include "scan/gatherfiles.h"

#include <QByteArrayList>
#include <QString>

// Paths named on a command line (the file manager's "Open With" included), as list entries in
// their order. A folder is gathered as the folder command gathers files of the extension;
// anything else is one entry as given, a file that is not there included, so that it fails
// with a reason. Relative paths are made absolute against the current folder, where their
// JPEG files are to go. take receives what GatherFiles gives it for each folder, and each run
// of other arguments at once. False when the gathering was stopped; what was taken stays taken.
bool GatherArguments(const QByteArrayList &arguments, const QString &extension,
                     ScanControl &control, const TakeFiles &take);

// The arguments after the program's name, as the bytes they were given as.
QByteArrayList ArgumentBytes(int argc, char **argv);
