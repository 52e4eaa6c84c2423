#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QPair>

#include <dirent.h>

// One pass over the entries of a folder, straight from the file system: the scan reads every
// folder of a tree twice, and asks for an entry's attributes only when the listing does not
// already tell its kind. Names stay the file system's bytes. A folder that cannot be opened
// simply has no entries.
class FolderReader
{
public:
    enum class Kind { Folder, File, Other, Unreadable };
    // Device and inode: what makes two paths the same folder.
    using Identity = QPair<quint64, quint64>;

    explicit FolderReader(const QByteArray &folder);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    // Moves to the next entry; false when there is none left.
    bool Next();
    // "." and ".." count as hidden, as every name that begins with a dot.
    bool IsHidden() const { return m_entry->d_name[0] == '.'; }
    bool IsSelfOrParent() const;
    // Good until the next entry.
    QByteArrayView Name() const { return QByteArrayView(m_entry->d_name); }
    // Follows symbolic links; fills identity when the entry is a folder and one is asked for.
    Kind KindOf(Identity *identity = nullptr) const;

    static bool IdentityOf(const QByteArray &path, Identity &identity);

private:
    DIR *m_dir = nullptr;
    dirent *m_entry = nullptr;
};
