#include "run/entrypreparer.h"

#include "run/targetpath.h"
#include "run/workerbudget.h"

#include <sys/stat.h>

void EntryPreparer::Prepare(int run, int index, const QByteArray &source)
{
    PreparedEntry entry;
    entry.target = TargetPathOf(source);
    struct stat info = {};
    // A pipe or a device would keep the header read waiting: the worker turns those away.
    if (!entry.target.isEmpty() && ::stat(source.constData(), &info) == 0 &&
        S_ISREG(info.st_mode)) {
        entry.sourceBytes = qint64(info.st_size);
        entry.memoryBytes = MemoryEstimateOf(source);
    }
    emit Prepared(run, index, entry);
}
