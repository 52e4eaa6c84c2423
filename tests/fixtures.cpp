#include "fixtures.h"

#include "psdwriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool MakeByBytes(const QByteArray &path, const QByteArray &contents)
{
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    if (path.endsWith('/'))
        return true;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, contents.constData(), contents.size()) == contents.size();
    return ::close(fd) == 0 && written;
}

void RemoveBelow(const QByteArray &root)
{
    ::nftw(
        root.constData(),
        [](const char *path, const struct stat *, int, FTW *at) {
            return at->level > 0 ? ::remove(path) : 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}
