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
                     ScanControl &control, const TakeNamedFiles &take)
{
    // Arguments in a row that are not folders go on together, as the files of one folder do.
    QByteArrayList others;
    for (const QByteArray &argument : arguments) {
        if (control.ScanShouldStop())
            return false;
        if (argument.isEmpty())
            continue;
        const QByteArray path = AbsoluteArgument(argument);
        if (!IsFolder(path)) {
            others.append(path);
            continue;
        }
        if (!others.isEmpty())
            take(QByteArray(), std::exchange(others, {}));
        const QByteArray folder = path.endsWith('/') ? path : path + '/';
        const auto takeBelow = [&](const QByteArrayList &files) { take(folder, files); };
        if (!GatherFiles(folder, extension, control, takeBelow))
            return false;
    }
    if (!others.isEmpty())
        take(QByteArray(), others);
    return true;
}

QByteArray AbsoluteArgument(const QByteArray &argument)
{
    // Left relative when there is nothing to resolve it against; the run then fails it.
    const QByteArray current = argument.startsWith('/') ? QByteArray() : CurrentFolder();
    return current + argument;
}

QByteArrayList ArgumentBytes(int argc, char **argv)
{
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return arguments;
}
