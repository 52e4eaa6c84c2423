#include "filelist.h"

FileList::FileList(QObject *parent)
    : QAbstractListModel(parent), m_selection(new QItemSelectionModel(this, this))
{
}

void FileList::AppendPath(const QString &path)
{
    AppendPaths(QStringList{path});
}

void FileList::AppendPaths(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const int first = m_paths.size();
    beginInsertRows(QModelIndex(), first, first + paths.size() - 1);
    m_paths.append(paths);
    endInsertRows();
}

int FileList::Count() const
{
    return m_paths.size();
}

QString FileList::TextAt(int position) const
{
    return m_paths.value(position - 1);
}

void FileList::SetTextAt(int position, const QString &path)
{
    if (!Holds(position))
        return;
    m_paths[position - 1] = path;
    const QModelIndex changed = index(position - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void FileList::RemoveAt(int position)
{
    if (!Holds(position))
        return;
    beginRemoveRows(QModelIndex(), position - 1, position - 1);
    m_paths.removeAt(position - 1);
    endRemoveRows();
}

QPersistentModelIndex FileList::EntryAt(int position) const
{
    if (!Holds(position))
        return {};
    return QPersistentModelIndex(index(position - 1));
}

QPersistentModelIndex FileList::SelectedEntry() const
{
    const QModelIndexList selected = m_selection->selectedRows();
    if (selected.isEmpty())
        return {};
    return QPersistentModelIndex(selected.first());
}

void FileList::SelectAt(int position)
{
    if (!Holds(position))
        return;
    m_selection->setCurrentIndex(index(position - 1), QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Current);
}

int FileList::rowCount(const QModelIndex &parent) const
{
    // A flat list: rows hang only from the invisible root.
    return parent.isValid() ? 0 : m_paths.size();
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return m_paths.at(index.row());
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section != 0 || orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QStringLiteral("PSD File(s)");
}

bool FileList::Holds(int position) const
{
    return position >= 1 && position <= m_paths.size();
}
