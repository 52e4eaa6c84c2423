#pragma once

#include <QByteArray>

#include <functional>

// Where a source's JPEG file goes, as the file system's bytes; empty when there is no safe place
// for it.
using TargetRule = std::function<QByteArray(const QByteArray &source)>;

// Beside the source: its folder (its short form), the base name, ".jpg". Empty when the folder
// is gone: nothing may ever be written relative to the current folder.
QByteArray TargetPathOf(const QByteArray &source);

// Below output (absolute, ending in "/") at the source's path relative to folder, the folder it
// was found in (ending in "/"), with ".jpg" for its extension; straight into output for a source
// named by itself (folder empty, or not above it).
QByteArray TargetBelow(const QByteArray &output, const QByteArray &folder,
                       const QByteArray &source);
