#include "fixtures.h"

#include "psdwriter.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QByteArray SmallPsd(int width, int height)
{
    return PsdWriter(width, height, PsdWriter::Rgb,
                     [](int x, int y, int c) {
                         return quint16((x * 8000 + y * 3000 + c * 20000) & 0xFFFF);
                     })
        .Bytes();
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QByteArray FileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QByteArray SystemProfile(const QString &name)
{
    const QDir ghostscript("/usr/share/ghostscript");
    for (const QString &version : ghostscript.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(ghostscript.filePath(version + "/iccprofiles/" + name));
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return {};
}
