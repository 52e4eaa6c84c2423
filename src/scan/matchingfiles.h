#pragma once

#include <QByteArrayList>
#include <QString>

// The names of the files in one folder (not below it) that match the wildcard pattern, hidden
// ones included, in listing order, as the file system's bytes. Only regular files, or links
// to them, are returned: a pipe or a device would stall whoever opens it. A folder that
// cannot be listed gives no names.
QByteArrayList ListMatchingFiles(const QByteArray &folder, const QString &pattern);
