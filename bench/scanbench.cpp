#include "scanbench.h"

#include "filelist/filelist.h"
#include "scan/folderscanner.h"
#include "scan/scanthread.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// From the request to the last append into a new list, as the window's scan appends.
double ScanSeconds(FolderScanner &scanner, const QByteArray &extension, const QByteArray &folder,
                   QByteArrayList &paths)
{
    FileList list;
    QEventLoop loop;
    QObject::connect(&scanner, &FolderScanner::FoldersFound, &list,
                     [&list](const QList<QByteArrayList> &folders) {
                         for (const QByteArrayList &paths : folders)
                             list.AppendPaths(paths);
                     });
    QObject::connect(&scanner, &FolderScanner::RequestEnded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    scanner.AskFolder(folder, QString::fromUtf8(extension));
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    paths = list.Paths();
    return seconds;
}

// Started by hand, since a QProcess takes its arguments as text and the folder is bytes.
double FindSeconds(const QByteArray &extension, QByteArray folder)
{
    QByteArray program = "find", test = "-iname", pattern = "*." + extension;
    char *arguments[] = {program.data(), folder.data(), test.data(), pattern.data(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "find", &quiet, nullptr, arguments, environ) == 0)
        ::waitpid(pid, nullptr, 0);
    const double seconds = timer.nsecsElapsed() / 1e9;
    posix_spawn_file_actions_destroy(&quiet);
    return seconds;
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

int Scan(const QByteArray &extension, const QByteArray &folder)
{
    // Best of three each, alternating, after a pass that warms the cache for both: the machine
    // is shared, and the slower runs measure the neighbours. One scanner serves every round, as
    // the window keeps one while it is open.
    FindSeconds(extension, folder);
    ScanThread thread;
    QByteArrayList paths;
    double seconds = ScanSeconds(thread.Scanner(), extension, folder, paths);
    double findSeconds = FindSeconds(extension, folder);
    for (int round = 1; round < 3; ++round) {
        QByteArrayList again;
        seconds = std::min(seconds, ScanSeconds(thread.Scanner(), extension, folder, again));
        findSeconds = std::min(findSeconds, FindSeconds(extension, folder));
    }
    for (const QByteArray &path : std::as_const(paths)) {
        std::fwrite(path.constData(), 1, size_t(path.size()), stdout);
        std::fputc('\n', stdout);
    }
    std::printf("entries=%lld seconds=%.3f find_seconds=%.3f ratio=%.2f\n",
                static_cast<long long>(paths.size()), seconds, findSeconds,
                seconds / std::max(findSeconds, 1e-9));
    return 0;
}

} // namespace

int RunScanBench(const QByteArrayList &args)
{
    if (args.size() == 3 && args.at(0) == "--scan")
        return Scan(args.at(1), args.at(2));
    bool isNumber = false;
    const int files = args.size() == 3 ? args.at(1).toInt(&isNumber) : 0;
    if (args.size() == 3 && args.at(0) == "--scan-tree" && isNumber && files > 0) {
        if (!BuildTree(files, QFile::decodeName(args.at(2)))) {
            std::fprintf(stderr, "cannot build the tree in %s\n", args.at(2).constData());
            return 1;
        }
        return Scan("psd", args.at(2));
    }
    std::fprintf(stderr, "usage: quillmere-bench --scan ANSWER DIR | --scan-tree N DIR\n");
    return 2;
}
