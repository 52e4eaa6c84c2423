#include "targetpath.h"

#include "pathrules.h"

QString TargetPathOf(const QString &source)
{
    const QString folder = ShortPathOf(FolderOfPath(source));
    if (folder.isEmpty())
        return QString();
    return folder + StripExtension(NameOfPath(source)) + QStringLiteral(".jpg");
}
