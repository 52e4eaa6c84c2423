#pragma once

#include <QAbstractListModel>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QStringList>

// The batch: one entry per source path, in the order the user gathered or arranged them.
// Positions are 1-based, as the rest of the program speaks of them. The list never parses,
// checks or normalises a path; duplicates stay separate entries. A position outside 1 to
// Count() is ignored, or gives an empty text or an invalid reference.
//
// The selection lives in the model's own selection model, which the list view shares, so the
// core and the view always agree on the one selected entry.
class FileList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit FileList(QObject *parent = nullptr);

    void AppendPath(const QString &path);
    // Appends all of them in one insertion, so a large scan costs one view update.
    void AppendPaths(const QStringList &paths);

    int Count() const;
    QString TextAt(int position) const;
    void SetTextAt(int position, const QString &path);
    void RemoveAt(int position);

    // A reference stays valid while its entry is in the list and dies with it.
    QPersistentModelIndex EntryAt(int position) const;
    QPersistentModelIndex SelectedEntry() const;
    void SelectAt(int position);
    QItemSelectionModel *selectionModel() const { return m_selection; }

    // Every path, first to last.
    QStringList Paths() const { return m_paths; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool Holds(int position) const;

    QStringList m_paths;
    QItemSelectionModel *m_selection;
};
