#pragma once

#include <QPair>
#include <QString>

#include <dirent.h>

// One pass over the entries of a folder, straight from the file system: the scan reads every
// folder of a tree twice, and asks for an entry's attributes only when the listing does not
// already tell its kind. A folder that cannot be opened simply has no entries.
class FolderReader
{
public:
    enum class Kind { Folder, File, Other, Unreadable };
    // Device and inode: what makes two paths the same folder.
    using Identity = QPair<quint64, quint64>;

    explicit FolderReader(const QString &folder);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    // Moves to the next entry; false when there is none left.
    bool Next();
    // "." and ".." count as hidden, as every name that begins with a dot.
    bool IsHidden() const { return m_entry->d_name[0] == '.'; }
    bool IsSelfOrParent() const;
    // The entry's name, or "" when it cannot be written as text that names it again.
    QString Name() const;
    // Follows symbolic links; fills identity when the entry is a folder and one is asked for.
    Kind KindOf(Identity *identity = nullptr) const;

    static bool IdentityOf(const QString &path, Identity &identity);
    // The order a listing comes in: by name ignoring case, ties by the exact name.
    static bool ListsBefore(const QString &a, const QString &b);

private:
    DIR *m_dir = nullptr;
    dirent *m_entry = nullptr;
};
