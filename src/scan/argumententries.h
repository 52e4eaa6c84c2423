#pragma once

#include "scan/gatherfiles.h"

#include <QByteArrayList>
#include <QLatin1StringView>
#include <QString>

// What folders named on a command line are searched for unless the user says otherwise.
constexpr QLatin1StringView DefaultArgumentExtension{"psd,psb"};

// Receives the folder named (absolute, ending in "/") and files found below it, or "" and a run
// of other arguments.
using TakeNamedFiles = std::function<void(const QByteArray &folder, const QByteArrayList &files)>;

// Paths named on a command line (the file manager's "Open With" included), as list entries in
// their order. A folder is gathered as the folder command gathers files of the extension;
// anything else is one entry as given, a file that is not there included, so that it fails
// with a reason. Relative paths are made absolute against the current folder, where their
// JPEG files are to go. take receives what GatherFiles gives it for each folder, and each run
// of other arguments at once. False when the gathering was stopped; what was taken stays taken.
bool GatherArguments(const QByteArrayList &arguments, const QString &extension,
                     ScanControl &control, const TakeNamedFiles &take);

// The argument made absolute against the current folder, as GatherArguments makes paths.
QByteArray AbsoluteArgument(const QByteArray &argument);

// The arguments after the program's name, as the bytes they were given as.
QByteArrayList ArgumentBytes(int argc, char **argv);
