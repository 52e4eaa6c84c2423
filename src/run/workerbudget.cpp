#include "run/workerbudget.h"

#include "shared/limits.h"

#include <QFile>

#include <sched.h>

#include <algorithm>

namespace
{

constexpr int MaxWorkers = 8;
// A decoder holds the decoded image, a copy converted for the JPEG writer, and its own
// working copies on top.
constexpr qint64 WorkingCopies = 3;
// The streaming reader holds a few bands of rows, its colour step and the JPEG writer's buffers:
// 10 to 12 MB measured, with room to spare.
constexpr qint64 StreamingBytes = qint64(64) << 20;

} // namespace

int UsableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    const int cores = sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) : 1;
    return std::clamp(cores, 1, MaxWorkers);
}

qint64 MemoryBudgetBytes()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : meminfo.readAll().split('\n')) {
            if (line.startsWith("MemAvailable:"))
                return line.mid(13).trimmed().split(' ').first().toLongLong() * 1024 / 2;
        }
    }
    return qint64(1) << 30; // no figure to go by: assume a modest machine
}

qint64 MemoryEstimateOf(const QByteArray &path)
{
    const auto header = ReadPsdHeader(path.toStdString());
    if (!header)
        return 0;
    if (BeyondTheDecoders(*header))
        return StreamingBytes;
    const auto decoded = DecodedSizeEstimate(*header);
    return qint64(std::min<std::uint64_t>(decoded, std::uint64_t(1) << 40)) * WorkingCopies;
}
