#pragma once

#include <QByteArray>

// How a source path is taken apart to make its target, and the two file checks the window
// needs. Paths are the file system's own bytes, so a name that is not UTF-8 survives; "/" is
// the only separator. None of them keeps state or throws.

// The folder part with its trailing "/", or "" when there is no "/".
QByteArray FolderOfPath(const QByteArray &path);
// The bytes after the last "/": the whole path when there is none, "" when it ends in "/".
QByteArray NameOfPath(const QByteArray &path);
// The name before its last dot; a name without a dot comes back whole.
QByteArray StripExtension(const QByteArray &name);
// Linux keeps no 8.3 aliases: an existing path is its own short form, a missing one gives "".
QByteArray ShortPathOf(const QByteArray &path);

bool FileExists(const QByteArray &path);
