#pragma once

#include <QString>
#include <QStringList>

// The names of the files in one folder (not below it) that match the wildcard pattern, hidden
// ones included, in listing order. Only regular files, or links to them, are returned: a pipe
// or a device would stall whoever opens it. A folder that cannot be listed gives no names.
QStringList ListMatchingFiles(const QString &folder, const QString &pattern);
