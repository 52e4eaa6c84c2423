#include "app/filelistview.h"
#include "support/recordedwindow.h"

#include <QMimeData>
#include <QScrollBar>

namespace
{

// The window's list, one entry per letter, and the mouse on it.
struct ListOnScreen : RecordedWindow {
    explicit ListOnScreen(const QString &letters)
    {
        QByteArrayList paths;
        for (const QString &letter : letters.split("", Qt::SkipEmptyParts))
            paths << letter.toUtf8();
        list.AppendPaths(paths);
        QCoreApplication::processEvents(); // lays the view out
    }
    // An entry's middle by its position; 0 is the space below the entries.
    QPoint At(int position) const
    {
        return position ? view->visualRect(list.index(position - 1)).center()
                        : QPoint(10, viewport->height() - 5);
    }
    // QTest moves the mouse with no button held; a drag needs the held button in the event.
    void MoveHolding(const QPoint &point, Qt::MouseButton held = Qt::LeftButton) const
    {
        QMouseEvent move(QEvent::MouseMove, point, viewport->mapToGlobal(point), Qt::NoButton, held,
                         Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    // Offers the files "/x" and "/y" onto entry 1 as a file manager proposing a move does, as text
    // only ('T') or to be moved only ('M'); the drop follows even a refused enter.
    void Drop(QChar kind) const
    {
        QMimeData data;
        data.setText("/x");
        if (kind != 'T')
            data.setUrls({QUrl::fromLocalFile("/x"), QUrl::fromLocalFile("/y")});
        const auto actions =
            kind == 'M' ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDropEvent drop(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(viewport, &enter);
        QApplication::sendEvent(viewport, &drop);
        // A refusal shows at the enter; and since the list only names the files, a source must
        // never be told they were moved.
        QCOMPARE(enter.isAccepted(), drop.isAccepted());
        QVERIFY(!drop.isAccepted() || drop.dropAction() == Qt::CopyAction);
    }
    // "2>3>4" presses on entry 2, moves over 3 and 4 holding the button and lets go ("R2>3" with
    // the right button); "2 *2" is a person's double-click on entry 2, since QTest's own sends the
    // second press alone; "~1" moves over entry 1 with no button; "+", "T" and "M" drop.
    void Perform(const QString &gesture) const
    {
        if (QString("+TM").contains(gesture[0]))
            return Drop(gesture[0]);
        QList<QPoint> spots;
        for (const QString &position : gesture.split(QRegularExpression("\\D"), Qt::SkipEmptyParts))
            spots << At(position.toInt());
        const auto button = gesture[0] == 'R' ? Qt::RightButton : Qt::LeftButton;
        if (gesture[0] == '~')
            return MoveHolding(spots[0], Qt::NoButton);
        if (gesture[0] == '*')
            QTest::mouseDClick(viewport, button, {}, spots[0]);
        else
            QTest::mousePress(viewport, button, {}, spots[0]);
        for (const QPoint &spot : spots.mid(1))
            MoveHolding(spot, button);
        QTest::mouseRelease(viewport, button, {}, spots.last());
    }

    FileList &list = form->list();
    FileListView *view = Control<FileListView>("list");
    QWidget *viewport = view->viewport();
};

} // namespace

class TestListInteraction : public QObject
{
    Q_OBJECT

private slots:
    void gestures_data();
    void gestures();
    void heldAtAnEdgeTheListFollows();
};

void TestListInteraction::gestures_data()
{
    // The tag holds the gestures.
    QTest::addColumn<QString>("entries");
    QTest::addColumn<int>("selected"); // 0: not checked
    QTest::addColumn<QString>("after");
    QTest::newRow("2>3>4>5 ~1") << "abcde" << 5 << "acdeb";
    QTest::newRow("R2>3>4>5") << "abcde" << 5 << "acdeb";
    QTest::newRow("2>5") << "abcde" << 5 << "aecdb";
    // Itself and its duplicate exchange nothing; another text does, and case counts.
    QTest::newRow("2>2>3>4") << "abbc" << 4 << "acbb";
    QTest::newRow("1>2") << "Aa" << 2 << "aA";
    QTest::newRow("2 *2") << "abc" << 0 << "ac";
    QTest::newRow("0 *0") << "ab" << 0 << "ab";
    QTest::newRow("0 *0, empty") << "" << 0 << "";
    // A press beside the entries goes on with the entry dragged last, unless it was removed.
    QTest::newRow("2>3 0>1>2>3>4>0") << "abcd" << 0 << "cadb";
    QTest::newRow("2>3 3 *3 0>1>2>3>0") << "abcd" << 0 << "acd";
    // Dropped files go to the end until the first click on an entry.
    QTest::newRow("+") << "a" << 0 << "a/x/y";
    QTest::newRow("T") << "a" << 0 << "a";
    QTest::newRow("M") << "a" << 0 << "a";
    QTest::newRow("0 +") << "a" << 0 << "a/x/y";
    QTest::newRow("1 +") << "a" << 0 << "a";
}

void TestListInteraction::gestures()
{
    QFETCH(QString, entries);
    QFETCH(int, selected);
    QFETCH(QString, after);
    const ListOnScreen window(entries);
    for (const QString &gesture : QString(QTest::currentDataTag()).section(',', 0, 0).split(' '))
        window.Perform(gesture);
    QCOMPARE(window.list.Paths().join(), after.toUtf8());
    if (selected)
        QCOMPARE(window.view->selectionModel()->selectedRows().value(0).row() + 1, selected);
    QCOMPARE(window.viewport->cursor().shape(), Qt::ArrowCursor); // once a button is let go
}

void TestListInteraction::heldAtAnEdgeTheListFollows()
{
    const ListOnScreen window("abcdefghijklmnopqrstuvwxyz0123");
    const auto topRow = [&window] { return window.view->indexAt(QPoint(1, 1)).row() + 1; };
    const int lastTop = window.view->verticalScrollBar()->maximum() + 1;
    QVERIFY(lastTop > 1);
    // The last row that shows in full, and the first.
    const QPoint bottom = window.At(31 - lastTop), top = window.At(1);
    QTest::mousePress(window.viewport, Qt::LeftButton, {}, top);
    QCOMPARE(window.viewport->cursor().hotSpot(), QPoint(16, 16)); // drag.ico's
    // A row per exchange until the end shows.
    for (const auto &[edge, endTop, end] :
         {std::tuple{bottom, lastTop, 30}, std::tuple{top, 1, 1}}) {
        for (int row = topRow(); row != endTop; row += endTop > row ? 1 : -1) {
            window.MoveHolding(edge);
            QCOMPARE(topRow(), row + (endTop > row ? 1 : -1));
        }
        window.MoveHolding(edge); // onto the end entry, and the list stays
        QCOMPARE(topRow(), endTop);
        QCOMPARE(window.list.PathAt(end - 1), "a");
    }
}

QTEST_MAIN(TestListInteraction)
#include "tst_listinteraction.moc"
