#include "pathrules.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A NUL inside the text would cut the path short at the system call and name another file.
bool Passable(const QString &path)
{
    return !path.isEmpty() && !path.contains(QChar(0));
}

// Asked of the file system afresh every time, so an earlier failure never sticks.
bool StatSucceeds(const QString &path)
{
    struct stat info;
    return Passable(path) && ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

} // namespace

QString FolderOfPath(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NameOfPath(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString StripExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString ShortPathOf(const QString &path)
{
    return StatSucceeds(path) ? path : QString();
}

bool FileExists(const QString &path)
{
    return StatSucceeds(path);
}

void DeleteFileQuietly(const QString &path)
{
    if (Passable(path))
        ::unlink(QFile::encodeName(path).constData());
}
