#pragma once

#include <QByteArrayList>
#include <QString>

#include <functional>

class ScanControl;

// Receives the paths of a gathering a batch at a time, in order.
using TakeFiles = std::function<void(const QByteArrayList &)>;

// The folder command's gathering: every file whose name ends in "." and the extension (a
// wildcard, matched without regard to case; "*" takes every file) in folder and all its
// subfolders, level by level, each folder's files in listing order, names beginning with "~"
// left out. take receives each folder's files at once, and an empty list for a folder without
// any, which tells how far the scan has come. False when the scan was stopped; what was taken
// stays taken.
bool GatherFiles(const QByteArray &folder, const QString &extension, ScanControl &control,
                 const TakeFiles &take);
