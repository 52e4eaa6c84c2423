#include "scan/argumententries.h"

#include "scan/gatherfiles.h"
#include "scan/scancontrol.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

bool GatherArguments(const QByteArrayList &arguments, const QString &extension,
                     ScanControl &control, const TakeFiles &take)
{
    // Arguments in a row that are not folders go on together, as the files of one folder do.
    QByteArrayList others;
    const QByteArray current = CurrentFolder();
    for (const QByteArray &argument : arguments) {
        if (control.ScanShouldStop())
            return false;
        if (argument.isEmpty())
            continue;
        // Left relative when there is nothing to resolve it against; the run then fails it.
        const QByteArray path =
            argument.startsWith('/') || current.isEmpty() ? argument : current + argument;
        if (!IsFolder(path)) {
            others.append(path);
            continue;
        }
        if (!others.isEmpty())
            take(std::exchange(others, {}));
        if (!GatherFiles(path, extension, control, take))
            return false;
    }
    if (!others.isEmpty())
        take(others);
    return true;
}

QByteArrayList ArgumentBytes(int argc, char **argv)
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}
