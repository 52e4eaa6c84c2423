#include "run/pathrules.h"

#include <sys/stat.h>

namespace
{

// A NUL inside the path would cut it short at the system call and name another file.
bool Passable(const QByteArray &path)
{
    return !path.isEmpty() && !path.contains('\0');
}

// Asked of the file system afresh every time, so an earlier failure never sticks.
bool StatSucceeds(const QByteArray &path)
{
    struct stat info;
    return Passable(path) && ::stat(path.constData(), &info) == 0;
}

} // namespace

QByteArray FolderOfPath(const QByteArray &path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray NameOfPath(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray StripExtension(const QByteArray &name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

QByteArray ShortPathOf(const QByteArray &path)
{
    return StatSucceeds(path) ? path : QByteArray();
}

bool FileExists(const QByteArray &path)
{
    return StatSucceeds(path);
}
