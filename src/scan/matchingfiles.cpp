#include "scan/matchingfiles.h"

#include "scan/folderreader.h"
#include "scan/listedname.h"
#include "scan/wildcard.h"

#include <algorithm>

QByteArrayList ListMatchingFiles(const QByteArray &folder, const QString &pattern)
{
    QList<ListedName> matches;
    FolderReader reader(folder);
    while (reader.Next()) {
        if (reader.IsSelfOrParent())
            continue;
        ListedName name(reader.Name());
        if (MatchesWildcard(pattern, name.Text()) && reader.KindOf() == FolderReader::Kind::File)
            matches.append(std::move(name));
    }
    std::sort(matches.begin(), matches.end());
    QByteArrayList names;
    names.reserve(matches.size());
    for (const ListedName &name : std::as_const(matches))
        names.append(name.Bytes());
    return names;
}
