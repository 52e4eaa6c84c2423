#include "support/fixtures.h"

#include "support/psdwriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <fcntl.h>
#include <ftw.h>
#include <limits>
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
    return MakeByBytes(QFile::encodeName(path), bytes) ? path : QString();
}

QString WorkerScript(const QTemporaryDir &dir, const QByteArray &prelude)
{
    const QString script = WriteFile(dir, "worker.sh",
                                     "#!/bin/sh\n" + prelude + "\nexec \"" +
                                         QFile::encodeName(QCoreApplication::applicationDirPath()) +
                                         "/quillmere-worker\" \"$@\"\n");
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    return script;
}

double PsnrDb(const QImage &a, const QImage &b, int edge)
{
    if (a.size() != b.size())
        return 0;
    const QImage first = a.convertToFormat(QImage::Format_RGB888);
    const QImage second = b.convertToFormat(QImage::Format_RGB888);
    double error = 0;
    for (int y = 0; y < first.height(); ++y) {
        const uchar *p = first.constScanLine(y);
        const uchar *q = second.constScanLine(y);
        for (int i = 0; i < 3 * first.width(); ++i)
            error += std::abs(i / 3 - edge) <= 2 ? 0 : double(p[i] - q[i]) * (p[i] - q[i]);
    }
    const double samples = 3.0 * first.width() * first.height();
    return error == 0 ? std::numeric_limits<double>::infinity()
                      : 10 * std::log10(255.0 * 255.0 * samples / error);
}

double ReferenceDb(const QString &jpeg, const QString &reference, const QString &scratch)
{
    const QStringList settings = {"-quality", "99", "-sampling-factor", "2x2,1x1,1x1"};
    if (!QFile::exists(reference) ||
        QProcess::execute("convert",
                          QStringList{"-quiet", reference} + settings + QStringList{scratch}) != 0)
        return -1;
    return PsnrDb(QImage(jpeg), QImage(scratch));
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
