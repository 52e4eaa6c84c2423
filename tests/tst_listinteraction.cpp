#include "filelistview.h"
#include "recordedwindow.h"

#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QStringList Paths(int count)
{
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << QStringLiteral("/art/%1.psd").arg(i);
    return paths;
}

// The shown window's list with the given entries, and the mouse on it.
struct ListOnScreen {
    explicit ListOnScreen(const QStringList &entries,
                          const QString &programFolder = QCoreApplication::applicationDirPath())
        : window(0.5, programFolder)
    {
        for (const QString &path : entries)
            window.form->List().AppendPath(path);
        window.Show();
        view = window.Control<FileListView>("ListView1");
        viewport = view->viewport();
    }
    FileList &List() const { return window.form->List(); }
    // The middle of the entry at a 1-based position.
    QPoint At(int position) const { return view->visualRect(List().EntryAt(position)).center(); }
    // Below the last entry.
    QPoint EmptySpace() const
    {
        return QPoint(10, view->visualRect(List().EntryAt(List().Count())).bottom() + 5);
    }
    void Press(const QPoint &point, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mousePress(viewport, button, {}, point);
    }
    void Release(const QPoint &point, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mouseRelease(viewport, button, {}, point);
    }
    // QTest moves the mouse with no button held; a drag needs the held button in the event.
    void MoveHolding(const QPoint &point, Qt::MouseButton held = Qt::LeftButton) const
    {
        QMouseEvent move(QEvent::MouseMove, point, viewport->mapToGlobal(point), Qt::NoButton, held,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    // A person's double-click: QTest's own sends the second press alone.
    void DoubleClick(const QPoint &point) const
    {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, point);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, point);
        Release(point);
    }
    int Selected() const { return List().SelectedEntry().row() + 1; }
    int TopRow() const { return view->indexAt(QPoint(1, 1)).row() + 1; }
    // The last entry that shows in full.
    QPoint LastWholeRow() const
    {
        int position = TopRow();
        while (position < List().Count() &&
               view->visualRect(List().EntryAt(position + 1)).bottom() < viewport->height())
            ++position;
        return At(position);
    }

    RecordedWindow window;
    FileListView *view = nullptr;
    QWidget *viewport = nullptr;
};

} // namespace

class TestListInteraction : public QObject
{
    Q_OBJECT

private slots:
    void dragExchangesTexts_data();
    void dragExchangesTexts();
    void heldAtAnEdgeTheListFollows();
    void doubleClickRemovesTheSelectedEntry_data();
    void doubleClickRemovesTheSelectedEntry();
    void removedEntryIsNeverDragged_data();
    void removedEntryIsNeverDragged();
    void listPointer_data();
    void listPointer();
};

void TestListInteraction::dragExchangesTexts_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QList<int>>("visited");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selected");
    const QStringList five = {"a", "b", "c", "d", "e"};
    QTest::newRow("one row at a time") << five << int(Qt::LeftButton) << 2 << QList<int>{3, 4, 5}
                                       << QStringList{"a", "c", "d", "e", "b"} << 5;
    QTest::newRow("right button") << five << int(Qt::RightButton) << 2 << QList<int>{3, 4, 5}
                                  << QStringList{"a", "c", "d", "e", "b"} << 5;
    QTest::newRow("a jump exchanges two") << five << int(Qt::LeftButton) << 2 << QList<int>{5}
                                          << QStringList{"a", "e", "c", "d", "b"} << 5;
    QTest::newRow("upwards") << five << int(Qt::LeftButton) << 4 << QList<int>{3, 2}
                             << QStringList{"a", "d", "b", "c", "e"} << 2;
    // Itself, then its duplicate: nothing; then another text.
    QTest::newRow("same text stays") << QStringList{"a", "b", "b", "c"} << int(Qt::LeftButton) << 2
                                     << QList<int>{2, 3} << QStringList{"a", "b", "b", "c"} << 2;
    QTest::newRow("then another text")
        << QStringList{"a", "b", "b", "c"} << int(Qt::LeftButton) << 2 << QList<int>{2, 3, 4}
        << QStringList{"a", "c", "b", "b"} << 4;
    QTest::newRow("case counts") << QStringList{"/x/A.psd", "/x/a.psd"} << int(Qt::LeftButton) << 1
                                 << QList<int>{2} << QStringList{"/x/a.psd", "/x/A.psd"} << 2;
}

void TestListInteraction::dragExchangesTexts()
{
    QFETCH(QStringList, entries);
    QFETCH(int, button);
    QFETCH(int, pressed);
    QFETCH(QList<int>, visited);
    QFETCH(QStringList, after);
    QFETCH(int, selected);
    const ListOnScreen list(entries);
    const auto held = Qt::MouseButton(button);
    list.Press(list.At(pressed), held);
    for (const int position : visited)
        list.MoveHolding(list.At(position), held);
    list.Release(list.At(visited.last()), held);
    QCOMPARE(list.List().Paths(), after);
    QCOMPARE(list.Selected(), selected);
    // Moving without a button held drags nothing.
    list.MoveHolding(list.At(1), Qt::NoButton);
    QCOMPARE(list.List().Paths(), after);
}

void TestListInteraction::heldAtAnEdgeTheListFollows()
{
    const int count = 30;
    const ListOnScreen list(Paths(count));
    const QString dragged = list.List().TextAt(1);
    list.Press(list.At(1));
    const QPoint bottom = list.LastWholeRow();
    // Each step exchanges with the entry that has come under the pointer and scrolls one row.
    int top = list.TopRow();
    while (list.view->verticalScrollBar()->value() < list.view->verticalScrollBar()->maximum()) {
        list.MoveHolding(bottom);
        QCOMPARE(list.TopRow(), ++top);
        QCOMPARE(list.List().TextAt(list.Selected()), dragged);
    }
    QVERIFY(top > 1);
    // The last entry shows: the path reaches it, and the list stays.
    for (int step = 0; step < 3; ++step)
        list.MoveHolding(bottom);
    QCOMPARE(list.TopRow(), top);
    QCOMPARE(list.List().TextAt(count), dragged);

    const QPoint topEdge = list.At(top);
    while (list.TopRow() > 1) {
        list.MoveHolding(topEdge);
        QCOMPARE(list.TopRow(), --top);
        QCOMPARE(list.List().TextAt(list.Selected()), dragged);
    }
    for (int step = 0; step < 3; ++step)
        list.MoveHolding(topEdge);
    QCOMPARE(list.TopRow(), 1);
    QCOMPARE(list.List().TextAt(1), dragged);
    list.Release(topEdge);
}

void TestListInteraction::doubleClickRemovesTheSelectedEntry_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("clicked"); // 0 for the space below the entries
    QTest::addColumn<QStringList>("after");
    QTest::newRow("an entry") << QStringList{"a", "b", "c"} << 2 << QStringList{"a", "c"};
    QTest::newRow("the last one") << QStringList{"a"} << 1 << QStringList();
    QTest::newRow("nothing selected") << QStringList{"a", "b"} << 0 << QStringList{"a", "b"};
    QTest::newRow("empty list") << QStringList() << 0 << QStringList();
}

void TestListInteraction::doubleClickRemovesTheSelectedEntry()
{
    QFETCH(QStringList, entries);
    QFETCH(int, clicked);
    QFETCH(QStringList, after);
    const ListOnScreen list(entries);
    const QPoint point = clicked ? list.At(clicked) : list.EmptySpace();
    list.DoubleClick(point);
    QCOMPARE(list.List().Paths(), after);
}

void TestListInteraction::removedEntryIsNeverDragged_data()
{
    QTest::addColumn<bool>("removeDragged");
    QTest::addColumn<QStringList>("after");
    // Without a removal, a press beside the entries goes on with the entry dragged last.
    QTest::newRow("kept") << false << QStringList{"c", "a", "d", "b"};
    QTest::newRow("removed") << true << QStringList{"a", "c", "d"};
}

void TestListInteraction::removedEntryIsNeverDragged()
{
    QFETCH(bool, removeDragged);
    QFETCH(QStringList, after);
    const ListOnScreen list({"a", "b", "c", "d"});
    list.Press(list.At(2));
    list.MoveHolding(list.At(3));
    list.Release(list.At(3));
    if (removeDragged)
        list.DoubleClick(list.At(3));
    const QPoint below = list.EmptySpace();
    list.Press(below);
    for (int position = 1; position <= list.List().Count(); ++position)
        list.MoveHolding(list.At(position));
    list.Release(below);
    QCOMPARE(list.List().Paths(), after);
}

void TestListInteraction::listPointer_data()
{
    QTest::addColumn<bool>("withDragPointer");
    QTest::newRow("drag.ico beside the program") << true;
    QTest::newRow("no drag.ico") << false;
}

void TestListInteraction::listPointer()
{
    QFETCH(bool, withDragPointer);
    QTemporaryDir emptyFolder;
    const ListOnScreen list({"a", "b"}, withDragPointer ? QCoreApplication::applicationDirPath()
                                                        : emptyFolder.path());
    QVERIFY(!list.view->testAttribute(Qt::WA_SetCursor));
    list.Press(list.At(1));
    QCOMPARE(list.view->CurrentPointerShape(), PointerShape::Custom);
    if (withDragPointer) {
        QCOMPARE(list.view->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(list.view->cursor().hotSpot(), QPoint(16, 16));
    } else {
        // No image: the list shows the window's pointer.
        QVERIFY(!list.view->testAttribute(Qt::WA_SetCursor));
    }
    list.Release(list.At(1));
    QCOMPARE(list.view->CurrentPointerShape(), PointerShape::Arrow);
    QCOMPARE(list.view->cursor().shape(), Qt::ArrowCursor);
}

QTEST_MAIN(TestListInteraction)
#include "tst_listinteraction.moc"
