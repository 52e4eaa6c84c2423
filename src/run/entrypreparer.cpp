#include "run/entrypreparer.h"

#include "run/pathrules.h"
#include "run/workerbudget.h"

#include <cerrno>
#include <sys/stat.h>

namespace
{

QByteArrayList MissingFoldersAbove(const QByteArray &target)
{
    QByteArrayList missing;
    struct stat info = {};
    for (QByteArray folder = FolderOfPath(target); folder.size() > 1;
         folder = FolderOfPath(folder.chopped(1))) {
        if (::lstat(folder.constData(), &info) == 0 || errno != ENOENT)
            break;
        missing += folder;
    }
    return missing;
}

} // namespace

void EntryPreparer::Prepare(int run, int index, const QByteArray &source, const TargetRule &rule)
{
    PreparedEntry entry;
    entry.target = rule(source);
    entry.newFolders = MissingFoldersAbove(entry.target);
    struct stat info = {};
    // A pipe or a device would keep the header read waiting: the worker turns those away.
    if (!entry.target.isEmpty() && ::stat(source.constData(), &info) == 0 &&
        S_ISREG(info.st_mode)) {
        entry.sourceBytes = qint64(info.st_size);
        entry.memoryBytes = MemoryEstimateOf(source);
    }
    emit Prepared(run, index, entry);
}
