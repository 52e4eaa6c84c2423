#include "run/targetpath.h"

#include "run/pathrules.h"

QByteArray TargetPathOf(const QByteArray &source)
{
    const QByteArray folder = ShortPathOf(FolderOfPath(source));
    if (folder.isEmpty())
        return QByteArray();
    return folder + StripExtension(NameOfPath(source)) + ".jpg";
}

QByteArray TargetBelow(const QByteArray &output, const QByteArray &folder, const QByteArray &source)
{
    const bool below = !folder.isEmpty() && source.startsWith(folder);
    const QByteArray relative = below ? source.mid(folder.size()) : NameOfPath(source);
    return output + FolderOfPath(relative) + StripExtension(NameOfPath(relative)) + ".jpg";
}
