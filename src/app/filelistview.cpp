#include "filelistview.h"

#include "filelist.h"
#include "pointerimage.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QMouseEvent>

FileListView::FileListView(FileList &list, const QString &programFolder, QWidget *parent)
    : QTreeView(parent), m_list(list), m_dropIntake(list), m_pointer(*this),
      m_dragPointerPath(programFolder + QStringLiteral("/drag.ico"))
{
    setModel(&list);
    // The view shows the list's own selection, which the list's operations read and set.
    QItemSelectionModel *viewsOwnSelection = selectionModel();
    setSelectionModel(list.selectionModel());
    delete viewsOwnSelection;
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
        m_pointer.SetCustomImage(image);
    m_pointer.Set(PointerShape::Custom);
    // From now on a drop could land amid a rearrangement: the desktop's files stay out.
    m_dropIntake.TurnOff();
    m_draggedItem = m_list.SelectedEntry();
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
        const int hover = m_hoverItem.row() + 1;
        const int dragged = m_draggedItem.row() + 1;
        const QString kept = m_list.TextAt(dragged);
        if (m_list.TextAt(hover) != kept) {
            m_list.SetTextAt(dragged, m_list.TextAt(hover));
            m_list.SetTextAt(hover, kept);
            m_list.SelectAt(hover);
            m_draggedItem = m_list.EntryAt(hover);
            FollowDrag(hover, point.y());
        }
    }
    m_hoverItem = QPersistentModelIndex();
}

// In the upper half of the visible rows the entry above the hovered one is brought into view,
// in the lower half the one below: held at an edge, the list scrolls a row per exchange.
void FileListView::FollowDrag(int hoverPosition, int pointerY)
{
    const bool upperHalf = pointerY < viewport()->height() / 2;
    const int neighbour = upperHalf ? hoverPosition - 1 : hoverPosition + 1;
    if (neighbour >= 1 && neighbour <= m_list.Count())
        scrollTo(m_list.EntryAt(neighbour), EnsureVisible);
}

void FileListView::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    m_listButtonDown = false;
    m_pointer.Set(PointerShape::Arrow);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the left button removes; another button's second press is a press like the first.
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPersistentModelIndex selected = m_list.SelectedEntry();
    if (selected.isValid())
        m_list.RemoveAt(selected.row() + 1);
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
