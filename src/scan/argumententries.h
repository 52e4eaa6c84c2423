#pragma once

#include <QByteArrayList>
#include <QString>

class ScanControl;

// Paths named on a command line (the file manager's "Open With" included), as list entries in
// their order. A folder is gathered as the folder command gathers files of the extension;
// anything else is one entry as given, a file that is not there included, so that it fails
// with a reason. Relative paths are made absolute against the current folder, where their
// JPEG files are to go. A stop asked of control ends the gathering with what it has.
QByteArrayList EntriesOfArguments(const QByteArrayList &arguments, const QString &extension,
                                  ScanControl &control);

// The arguments after the program's name, as the bytes they were given as.
QByteArrayList ArgumentBytes(int argc, char **argv);
