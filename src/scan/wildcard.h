#pragma once

#include <QString>

// File-name matching as the folder intake's users know it: case-insensitive, "*" takes any run
// of characters, "?" any one, and a pattern ending in ".*" also takes a name with no dot, so
// "*.*" takes every file.
bool MatchesWildcard(const QString &pattern, QStringView name);
