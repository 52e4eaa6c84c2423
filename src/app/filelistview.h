#pragma once

#include "filelist/dropintake.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QTreeView>

#include <optional>

class FileList;

// The list as the user edits it: pressing on an entry and moving drags its path along the list
// by exchanging texts with each entry passed, a double-click removes the selected entry, and
// files dropped from the desktop are appended until the first click on an entry.
class FileListView : public QTreeView
{
    Q_OBJECT

public:
    // The drag pointer is read from "drag.ico" in programFolder.
    FileListView(FileList &list, const QString &programFolder, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ItemClick();
    QPersistentModelIndex SelectedEntry() const;
    void ExchangeWithHoverItem(const QPoint &point);
    void ExchangeRows(int one, int other);
    void FollowDrag(int hoverRow, int pointerY);
    bool TakesDrop(const QDropEvent *event) const;
    void AnswerDrag(QDropEvent *event);

    FileList &m_list;
    DropIntake m_dropIntake;
    QString m_dragPointerPath;
    // Kept from the last file that could be read; none at first, which shows the default.
    std::optional<QCursor> m_dragPointer;
    // An entry reference dies with its row, so a removed entry is never dragged.
    QPersistentModelIndex m_draggedItem;
    // Set only within one motion step.
    QPersistentModelIndex m_hoverItem;
    bool m_listButtonDown = false;
};
