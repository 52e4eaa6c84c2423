#include "app/filelistview.h"

#include "app/pointerimage.h"
#include "filelist/filelist.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

FileListView::FileListView(FileList &list, const QString &programFolder, QWidget *parent)
    : QTreeView(parent), m_list(list), m_dropIntake(list),
      m_dragPointerPath(programFolder + QStringLiteral("/drag.ico"))
{
    setModel(&list);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    // Long paths are cut at the column's edge; widening the column scrolls sideways.
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(ScrollPerPixel);
    header()->setStretchLastSection(false);
    // Only a drag of an entry scrolls the list, one row per exchange.
    setAutoScroll(false);
    viewport()->setAcceptDrops(true);
}

void FileListView::mousePressEvent(QMouseEvent *event)
{
    m_listButtonDown = true;
    QTreeView::mousePressEvent(event);
    // Qt reports a click at the release; the drag needs its entry before the first motion.
    if (indexAt(event->position().toPoint()).isValid())
        ItemClick();
}

void FileListView::ItemClick()
{
    // A missing or unreadable drag pointer leaves the one loaded before, if any.
    if (const auto image = LoadPointerImage(m_dragPointerPath))
        m_dragPointer = image;
    if (m_dragPointer)
        viewport()->setCursor(*m_dragPointer);
    else
        viewport()->unsetCursor();
    // From now on a drop could land amid a rearrangement: the desktop's files stay out.
    m_dropIntake.TurnOff();
    m_draggedItem = SelectedEntry();
}

QPersistentModelIndex FileListView::SelectedEntry() const
{
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? QPersistentModelIndex() : QPersistentModelIndex(selected.first());
}

void FileListView::mouseMoveEvent(QMouseEvent *event)
{
    // Whichever button is held drags; the view's own selecting by motion never runs.
    if (m_listButtonDown)
        ExchangeWithHoverItem(event->position().toPoint());
}

void FileListView::ExchangeWithHoverItem(const QPoint &point)
{
    m_hoverItem = indexAt(point);
    if (m_hoverItem.isValid() && m_draggedItem.isValid()) {
        const int hover = m_hoverItem.row();
        const int dragged = m_draggedItem.row();
        if (m_list.PathAt(hover) != m_list.PathAt(dragged)) {
            ExchangeRows(dragged, hover);
            // The dragged entry's reference has moved with it.
            selectionModel()->setCurrentIndex(m_draggedItem, QItemSelectionModel::ClearAndSelect);
            FollowDrag(hover, point.y());
        }
    }
    m_hoverItem = QPersistentModelIndex();
}

// The rows between the two keep their order, as when two texts change places.
void FileListView::ExchangeRows(int one, int other)
{
    const int upper = std::min(one, other), lower = std::max(one, other);
    m_list.moveRow(QModelIndex(), lower, QModelIndex(), upper);
    if (lower - upper > 1)
        m_list.moveRow(QModelIndex(), upper + 1, QModelIndex(), lower + 1);
}

// In the upper half of the visible rows the entry above the hovered one is brought into view,
// in the lower half the one below: held at an edge, the list scrolls a row per exchange.
void FileListView::FollowDrag(int hoverRow, int pointerY)
{
    const bool upperHalf = pointerY < viewport()->height() / 2;
    const int neighbour = upperHalf ? hoverRow - 1 : hoverRow + 1;
    if (neighbour >= 0 && neighbour < m_list.Count())
        scrollTo(m_list.index(neighbour), EnsureVisible);
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    m_listButtonDown = false;
    viewport()->setCursor(Qt::ArrowCursor);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the left button removes; another button's second press is a press like the first.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPersistentModelIndex selected = SelectedEntry();
    if (selected.isValid())
        m_list.removeRow(selected.row());
}

// The files are only listed, never moved: a drop is taken as a copy, and a drag that offers no
// copy is refused, so that no source deletes what it thinks it moved here.
bool FileListView::TakesDrop(const QDropEvent *event) const
{
    return (event->possibleActions() & Qt::CopyAction) && m_dropIntake.Accepts(event->mimeData());
}

void FileListView::AnswerDrag(QDropEvent *event)
{
    if (TakesDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    AnswerDrag(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    AnswerDrag(event);
}

void FileListView::dropEvent(QDropEvent *event)
{
    AnswerDrag(event);
    if (event->isAccepted())
        m_dropIntake.Drop(event->mimeData());
}
