#include "baseline.h"

#include <IL/il.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

std::string Bytes(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

std::string ScratchTarget(const QString &scratch, const QString &file, int index)
{
    // Numbered, so X.psd and X.psb do not meet at one name.
    return Bytes(scratch + QStringLiteral("/%1-%2.jpg").arg(index).arg(QFileInfo(file).baseName()));
}

// Converts files from `start` on, writing one record per file (ok byte, index) to fd.
[[noreturn]] void DevilChild(const std::vector<std::string> &sources,
                             const std::vector<std::string> &targets, int start, int fd)
{
    ilInit();
    for (int i = start; i < int(sources.size()); ++i) {
        ILuint name = 0;
        ilGenImages(1, &name);
        ilBindImage(name);
        const bool ok = ilLoadImage(sources[i].c_str()) && ilSaveImage(targets[i].c_str());
        ilDeleteImages(1, &name);
        const int record[2] = {ok ? 1 : 0, i};
        if (write(fd, record, sizeof record) != sizeof record)
            _exit(2);
    }
    _exit(0);
}

double MaxRssMb(const rusage &usage)
{
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

BaselineResult RunDevilBaseline(const QStringList &files, const QString &scratch)
{
    BaselineResult result;
    const int n = int(files.size());
    result.converted.fill(false, n);
    std::vector<std::string> sources, targets;
    for (int i = 0; i < n; ++i) {
        sources.push_back(Bytes(files[i]));
        targets.push_back(ScratchTarget(scratch, files[i], i));
    }
    QElapsedTimer timer;
    timer.start();
    int start = 0;
    while (start < n) {
        int fds[2];
        if (pipe(fds) != 0)
            break;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            DevilChild(sources, targets, start, fds[1]);
        }
        close(fds[1]);
        int record[2];
        int last = start - 1;
        while (read(fds[0], record, sizeof record) == sizeof record) {
            result.converted[record[1]] = record[0] == 1;
            last = record[1];
        }
        close(fds[0]);
        rusage usage{};
        int status = 0;
        wait4(pid, &status, 0, &usage);
        result.peakRssMb = std::max(result.peakRssMb, MaxRssMb(usage));
        // The file after the last one reported is the one that brought the child down.
        start = last + 1 + (last + 1 < n ? 1 : 0);
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

BaselineResult RunMagickBaseline(const QStringList &files, const QString &scratch)
{
    BaselineResult result;
    const char *convert = "/usr/bin/convert";
    result.available = access(convert, X_OK) == 0;
    result.converted.fill(false, files.size());
    if (!result.available)
        return result;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < files.size(); ++i) {
        const std::string source = Bytes(files[i]) + "[0]";
        const std::string target = ScratchTarget(scratch, files[i], i);
        const pid_t pid = fork();
        if (pid == 0) {
            // Its warnings about layers it cannot read would drown the figures.
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            execl(convert, convert, source.c_str(), "-quality", "99", target.c_str(), nullptr);
            _exit(127);
        }
        rusage usage{};
        int status = 0;
        wait4(pid, &status, 0, &usage);
        result.peakRssMb = std::max(result.peakRssMb, MaxRssMb(usage));
        result.converted[i] = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                              QFileInfo::exists(QFile::decodeName(target.c_str()));
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

double PeakRssMb()
{
    double self = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                self = line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    return self + MaxRssMb(children);
}
