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
    QStringList patterns;
    for (const QString &one : extension.split(QLatin1Char(','), Qt::SkipEmptyParts))
        patterns << QLatin1String("*.") + one.trimmed();
    for (const QByteArray &queued : std::as_const(queue)) {
        if (control.ScanShouldStop())
            return false;
        QByteArrayList paths = ListMatchingFiles(queued, patterns);
        paths.removeIf([&](const QByteArray &path) { return path.at(queued.size()) == '~'; });
        take(paths);
    }
    return true;
}
