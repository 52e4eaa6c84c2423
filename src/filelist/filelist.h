#pragma once

#include <QAbstractListModel>
#include <QByteArrayList>
#include <QStringList>

// The batch: one entry per source path, in the order the user gathered or arranged them. A path
// is the file system's own bytes, so any name Linux allows is kept as it is; the list shows it
// readably. The list never parses, checks or normalises a path; duplicates stay separate
// entries. Rows are 0-based; the view reorders and removes them through the model's row
// operations, and keeps the selection itself.
class FileList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FileList(QObject *parent = nullptr);

    // Appends all of them in one insertion, so a large scan costs one view update.
    void AppendPaths(const QByteArrayList &paths);

    int Count() const { return int(m_paths.size()); }
    // Empty outside 0 to Count() - 1.
    QByteArray PathAt(int row) const { return m_paths.value(row); }
    // Every path, first to last.
    const QByteArrayList &Paths() const { return m_paths; }

    // A path as the list shows it: bytes that are not UTF-8 become replacement characters.
    static QString Readable(const QByteArray &path);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count,
                  const QModelIndex &destinationParent, int destinationChild) override;

private:
    QByteArrayList m_paths;
};
