#include "filelist/filelist.h"

FileList::FileList(QObject *parent) : QAbstractListModel(parent) {}

void FileList::AppendPaths(const QByteArrayList &paths)
{
    if (paths.isEmpty())
        return;
    const int first = Count();
    beginInsertRows(QModelIndex(), first, first + int(paths.size()) - 1);
    m_paths.append(paths);
    endInsertRows();
}

QString FileList::Readable(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

int FileList::rowCount(const QModelIndex &parent) const
{
    // A flat list: rows hang only from the invisible root.
    return parent.isValid() ? 0 : Count();
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return Readable(m_paths.at(index.row()));
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QStringLiteral("PSD File(s)");
}

bool FileList::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > Count())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_paths.remove(row, count);
    endRemoveRows();
    return true;
}

bool FileList::moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                        const QModelIndex &destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || sourceRow < 0 || count < 1 ||
        sourceRow + count > Count() || destinationChild < 0 || destinationChild > Count())
        return false;
    // Qt refuses a move onto the rows themselves or just past them.
    if (!beginMoveRows(sourceParent, sourceRow, sourceRow + count - 1, destinationParent,
                       destinationChild))
        return false;
    const QByteArrayList moved = m_paths.mid(sourceRow, count);
    m_paths.remove(sourceRow, count);
    const int to = destinationChild > sourceRow ? destinationChild - count : destinationChild;
    for (int i = 0; i < count; ++i)
        m_paths.insert(to + i, moved.at(i));
    endMoveRows();
    return true;
}
