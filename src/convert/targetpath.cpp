#include "targetpath.h"

#include "pathrules.h"

#include <QFile>

QByteArray TargetPathOf(const QByteArray &source)
{
    const QByteArray folder = ShortPathOf(FolderOfPath(source));
    if (folder.isEmpty())
        return QByteArray();
    return folder + StripExtension(NameOfPath(source)) + ".jpg";
}

QString TargetPathOf(const QString &source)
{
    return QFile::decodeName(TargetPathOf(QFile::encodeName(source)));
}
