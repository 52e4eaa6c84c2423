#include "folderwalk.h"

#include "folderintakehost.h"

#include <algorithm>

FolderWalk::FolderWalk(FolderIntakeHost &host) : m_host(host) {}

bool FolderWalk::GatherSubfolders(QStringList &queue)
{
    for (const QString &folder : std::as_const(queue)) {
        FolderReader::Identity identity;
        if (FolderReader::IdentityOf(folder, identity))
            m_entered.insert(identity);
    }
    QStringList level = queue;
    while (!level.isEmpty()) {
        QStringList found;
        for (const QString &folder : std::as_const(level)) {
            if (!ListSubfolders(folder, found))
                return false;
        }
        for (const QString &folder : std::as_const(found)) {
            if (!Yield())
                return false;
            queue.append(folder);
        }
        level = std::move(found);
    }
    return true;
}

bool FolderWalk::ListSubfolders(const QString &folder, QStringList &found)
{
    FolderReader reader(folder);
    if (!Yield())
        return false;
    QList<QPair<QString, FolderReader::Identity>> subfolders;
    while (reader.Next()) {
        if (reader.IsHidden())
            continue;
        if (!Yield())
            return false;
        FolderReader::Identity identity;
        if (reader.KindOf(&identity) != FolderReader::Kind::Folder)
            continue;
        const QString name = reader.Name();
        if (name.isEmpty())
            continue;
        subfolders.append({name, identity});
    }
    // Sorted before the check, so of two ways into one folder the first listed is the one kept.
    std::sort(subfolders.begin(), subfolders.end(), [](const auto &a, const auto &b) {
        return FolderReader::ListsBefore(a.first, b.first);
    });
    for (const auto &[name, identity] : std::as_const(subfolders)) {
        if (!m_entered.contains(identity))
            found.append(folder + name + QLatin1Char('/'));
        m_entered.insert(identity);
    }
    return true;
}

bool FolderWalk::Yield()
{
    m_host.Yield();
    return !m_host.ScanShouldStop();
}
