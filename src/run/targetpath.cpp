#include "run/targetpath.h"

#include "run/pathrules.h"

QByteArray TargetPathOf(const QByteArray &source)
{
    const QByteArray folder = ShortPathOf(FolderOfPath(source));
    if (folder.isEmpty())
        return QByteArray();
    return folder + StripExtension(NameOfPath(source)) + ".jpg";
}
