#include "scan/folderreader.h"

#include <cstring>
#include <sys/stat.h>

namespace
{

FolderReader::Kind KindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderReader::Kind::Folder;
    return S_ISREG(mode) ? FolderReader::Kind::File : FolderReader::Kind::Other;
}

FolderReader::Identity IdentityOfStat(const struct stat &info)
{
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

} // namespace

FolderReader::FolderReader(const QByteArray &folder)
{
    if (!folder.isEmpty() && !folder.contains('\0'))
        m_dir = ::opendir(folder.constData());
}

FolderReader::~FolderReader()
{
    if (m_dir)
        ::closedir(m_dir);
}

bool FolderReader::Next()
{
    m_entry = m_dir ? ::readdir(m_dir) : nullptr;
    return m_entry != nullptr;
}

bool FolderReader::IsSelfOrParent() const
{
    return std::strcmp(m_entry->d_name, ".") == 0 || std::strcmp(m_entry->d_name, "..") == 0;
}

FolderReader::Kind FolderReader::KindOf(Identity *identity) const
{
    const unsigned char type = m_entry->d_type;
    if (type == DT_REG)
        return Kind::File;
    if (type == DT_DIR && !identity)
        return Kind::Folder;
    if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN)
        return Kind::Other;
    struct stat info;
    if (::fstatat(::dirfd(m_dir), m_entry->d_name, &info, 0) != 0)
        return Kind::Unreadable;
    if (identity)
        *identity = IdentityOfStat(info);
    return KindOfMode(info.st_mode);
}

bool FolderReader::IdentityOf(const QByteArray &path, Identity &identity)
{
    struct stat info;
    if (path.contains('\0') || ::stat(path.constData(), &info) != 0)
        return false;
    identity = IdentityOfStat(info);
    return true;
}
