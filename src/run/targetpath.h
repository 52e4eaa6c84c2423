#pragma once

#include <QByteArray>

// Where the JPEG of a source goes: the source's folder (its short form), the base name, ".jpg",
// all as the file system's bytes. Empty when the folder is gone: nothing may ever be written
// relative to the current folder.
QByteArray TargetPathOf(const QByteArray &source);
