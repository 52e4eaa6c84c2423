#include "scan/folderwalk.h"

#include "scan/listedname.h"
#include "scan/scancontrol.h"

#include <algorithm>

FolderWalk::FolderWalk(ScanControl &control) : m_control(control) {}

bool FolderWalk::GatherSubfolders(QByteArrayList &queue)
{
    for (const QByteArray &folder : std::as_const(queue)) {
        FolderReader::Identity identity;
        if (FolderReader::IdentityOf(folder, identity))
            m_entered.insert(identity);
    }
    QByteArrayList level = queue;
    while (!level.isEmpty()) {
        QByteArrayList found;
        for (const QByteArray &folder : std::as_const(level)) {
            if (!ListSubfolders(folder, found))
                return false;
        }
        queue += found;
        level = std::move(found);
    }
    return true;
}

bool FolderWalk::ListSubfolders(const QByteArray &folder, QByteArrayList &found)
{
    FolderReader reader(folder);
    if (m_control.ScanShouldStop())
        return false;
    QList<QPair<ListedName, FolderReader::Identity>> subfolders;
    while (reader.Next()) {
        if (reader.IsHidden())
            continue;
        if (m_control.ScanShouldStop())
            return false;
        FolderReader::Identity identity;
        if (reader.KindOf(&identity) == FolderReader::Kind::Folder)
            subfolders.append({ListedName(reader.Name().toByteArray()), identity});
    }
    // Sorted before the check, so of two ways into one folder the first listed is the one kept.
    std::sort(subfolders.begin(), subfolders.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[name, identity] : std::as_const(subfolders)) {
        if (!m_entered.contains(identity))
            found.append(folder + name.Bytes() + '/');
        m_entered.insert(identity);
    }
    return true;
}
