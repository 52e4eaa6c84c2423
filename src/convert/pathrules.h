#pragma once

#include <QString>

// How a source path is taken apart to make its target, and the two file checks the window
// needs. "/" is the only separator. None of them keeps state or throws.

// The folder part with its trailing "/", or "" when there is no "/".
QString FolderOfPath(const QString &path);
// The text after the last "/": the whole path when there is none, "" when it ends in "/".
QString NameOfPath(const QString &path);
// The name before its last dot; a name without a dot comes back whole.
QString StripExtension(const QString &name);
// Linux keeps no 8.3 aliases: an existing path is its own short form, a missing one gives "".
QString ShortPathOf(const QString &path);

bool FileExists(const QString &path);
void DeleteFileQuietly(const QString &path);
