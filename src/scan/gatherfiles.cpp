#include "scan/gatherfiles.h"

#include "scan/folderwalk.h"
#include "scan/matchingfiles.h"
#include "scan/scancontrol.h"

bool GatherFiles(const QByteArray &folder, const QString &extension, ScanControl &control,
                 const TakeFiles &take)
{
    QByteArrayList queue{folder.endsWith('/') ? folder : folder + '/'};
    FolderWalk walk(control);
    if (!walk.GatherSubfolders(queue))
        return false;
    const QString pattern = QLatin1String("*.") + extension;
    for (const QByteArray &queued : std::as_const(queue)) {
        if (control.ScanShouldStop())
            return false;
        QByteArrayList paths = ListMatchingFiles(queued, pattern);
        paths.removeIf([&](const QByteArray &path) { return path.at(queued.size()) == '~'; });
        take(paths);
    }
    return true;
}
