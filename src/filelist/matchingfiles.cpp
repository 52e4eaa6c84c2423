#include "matchingfiles.h"

#include "folderreader.h"
#include "wildcard.h"

#include <algorithm>

QStringList ListMatchingFiles(const QString &folder, const QString &pattern)
{
    QStringList names;
    FolderReader reader(folder);
    while (reader.Next()) {
        if (reader.IsSelfOrParent())
            continue;
        const QString name = reader.Name();
        if (name.isEmpty() || !MatchesWildcard(pattern, name))
            continue;
        if (reader.KindOf() == FolderReader::Kind::File)
            names.append(name);
    }
    std::sort(names.begin(), names.end(), FolderReader::ListsBefore);
    return names;
}
