#include "argumententries.h"

#include "gatherfiles.h"
#include "scancontrol.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Nothing asks a command line's scan to stop: ending the program ends it.
class WholeScan : public ScanControl
{
public:
    bool ScanShouldStop() const override { return false; }
};

QByteArray CurrentFolder()
{
    char *folder = ::getcwd(nullptr, 0);
    const QByteArray bytes(folder);
    std::free(folder);
    return bytes;
}

bool IsFolder(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

QByteArrayList EntriesOfArguments(const QByteArrayList &arguments, const QString &extension)
{
    QByteArrayList entries;
    WholeScan control;
    QByteArray current = CurrentFolder();
    if (!current.endsWith('/'))
        current += '/';
    for (const QByteArray &argument : arguments) {
        if (argument.isEmpty())
            continue;
        const QByteArray path =
            argument.startsWith('/') || current == "/" ? argument : current + argument;
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
