#pragma once

#include <QByteArrayList>
#include <QString>

// The paths (folder, which ends in "/", and name) of the files in one folder (not below it)
// whose names match the wildcard pattern, hidden ones included, in listing order, as the file
// system's bytes. Only regular files, or links to them, are returned: a pipe or a device would
// stall whoever opens it. A folder that cannot be listed gives none.
QByteArrayList ListMatchingFiles(const QByteArray &folder, const QString &pattern);
