#include "scanbench.h"

#include "filelist/filelist.h"
#include "filelist/folderintake.h"
#include "filelist/folderintakehost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// Answers the two prompts at once and yields as the window does.
class AnsweringHost : public FolderIntakeHost
{
public:
    AnsweringHost(const QString &extension, const QString &folder)
        : m_extension(extension), m_folder(folder)
    {
    }
    QString AskText(const QString &, const QString &, const QString &) override
    {
        return m_extension;
    }
    QString ChooseFolder(const QString &) override { return m_folder; }
    void SetBusy(bool) override {}
    bool ScanShouldStop() const override { return false; }

private:
    QString m_extension;
    QString m_folder;
};

double ScanSeconds(const QString &extension, const QString &folder, QStringList &paths)
{
    FileList list;
    AnsweringHost host(extension, folder);
    FolderIntake intake(list, host);
    QElapsedTimer timer;
    timer.start();
    intake.Run();
    const double seconds = timer.nsecsElapsed() / 1e9;
    for (const QByteArray &path : list.Paths())
        paths << QFile::decodeName(path);
    return seconds;
}

double FindSeconds(const QString &extension, const QString &folder)
{
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    find.start(QStringLiteral("find"), {folder, QStringLiteral("-iname"), "*." + extension});
    find.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

// Parents before children: folder i hangs below folder (i - 1) / 10, a few levels deep.
// A quarter of the files match "psd", some of those in upper case and some hidden.
bool BuildTree(int files, const QString &root)
{
    const int folders = std::max(1, files / 20);
    QStringList paths{root};
    for (int i = 1; i < folders; ++i)
        paths.append(paths.at((i - 1) / 10) +
                     QStringLiteral("/d%1").arg(i, 5, 10, QLatin1Char('0')));
    for (const QString &path : std::as_const(paths)) {
        if (!QDir().mkpath(path))
            return false;
    }
    for (int i = 0; i < files; ++i) {
        QString name = QStringLiteral("f%1.").arg(i, 6, 10, QLatin1Char('0'));
        if (i % 4 != 0)
            name += i % 4 == 1 ? QStringLiteral("txt") : QStringLiteral("jpg");
        else
            name += i % 12 == 0 ? QStringLiteral("PSD") : QStringLiteral("psd");
        if (i % 40 == 8)
            name.prepend(QLatin1Char('.'));
        const QByteArray path = QFile::encodeName(paths.at(i % folders) + '/' + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
    }
    return true;
}

int Scan(const QString &extension, const QString &folder)
{
    // Best of three each, alternating, after a pass that warms the cache for both: the machine
    // is shared, and the slower runs measure the neighbours.
    FindSeconds(extension, folder);
    QStringList paths;
    double seconds = ScanSeconds(extension, folder, paths);
    double findSeconds = FindSeconds(extension, folder);
    for (int round = 1; round < 3; ++round) {
        seconds = std::min(seconds, ScanSeconds(extension, folder, paths));
        findSeconds = std::min(findSeconds, FindSeconds(extension, folder));
    }
    for (const QString &path : std::as_const(paths)) {
        const QByteArray line = QFile::encodeName(path) + '\n';
        std::fwrite(line.constData(), 1, line.size(), stdout);
    }
    std::printf("entries=%lld seconds=%.3f find_seconds=%.3f ratio=%.2f\n",
                static_cast<long long>(paths.size()), seconds, findSeconds,
                seconds / std::max(findSeconds, 1e-9));
    return 0;
}

} // namespace

int RunScanBench(const QStringList &args)
{
    if (args.size() == 3 && args.at(0) == QLatin1String("--scan"))
        return Scan(args.at(1), args.at(2));
    bool isNumber = false;
    const int files = args.size() == 3 ? args.at(1).toInt(&isNumber) : 0;
    if (args.size() == 3 && args.at(0) == QLatin1String("--scan-tree") && isNumber && files > 0) {
        if (!BuildTree(files, args.at(2))) {
            std::fprintf(stderr, "cannot build the tree in %s\n", qPrintable(args.at(2)));
            return 1;
        }
        return Scan(QStringLiteral("psd"), args.at(2));
    }
    std::fprintf(stderr, "usage: quillmere-bench --scan ANSWER DIR | --scan-tree N DIR\n");
    return 2;
}
