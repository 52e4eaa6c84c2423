#include "scan/argumententries.h"

#include "scan/gatherfiles.h"
#include "scan/scancontrol.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// With its slash; empty when the current folder is unknown (it was removed, say).
QByteArray CurrentFolder()
{
    char *folder = ::getcwd(nullptr, 0);
    QByteArray bytes(folder);
    std::free(folder);
    if (!bytes.isEmpty() && !bytes.endsWith('/'))
        bytes += '/';
    return bytes;
}

bool IsFolder(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QByteArrayList EntriesOfArguments(const QByteArrayList &arguments, const QString &extension,
                                  ScanControl &control)
{
    QByteArrayList entries;
    const QByteArray current = CurrentFolder();
    for (const QByteArray &argument : arguments) {
        if (control.ScanShouldStop())
            break;
        if (argument.isEmpty())
            continue;
        // Left relative when there is nothing to resolve it against; the run then fails it.
        const QByteArray path =
            argument.startsWith('/') || current.isEmpty() ? argument : current + argument;
        if (IsFolder(path))
            GatherFiles(path, extension, control,
                        [&](const QByteArrayList &files) { entries.append(files); });
        else
            entries.append(path);
    }
    return entries;
}

QByteArrayList ArgumentBytes(int argc, char **argv)
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}
