#include "fixtures.h"
#include "recordedwindow.h"
#include "windowgeometry.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

namespace
{

// Moves the mouse over a part of the window or presses the bar; "busy" makes the pointer busy.
void Visit(RecordedWindow &window, const QString &part)
{
    QWidget *widget = part == "list"         ? window.Control<QTreeView>("ListView1")->viewport()
                      : part == "background" ? window.form.get()
                                             : window.Control(part);
    if (part == "busy")
        window.form->SetPointerShape(PointerShape::Busy);
    else if (part == "ProgressBar1")
        QTest::mouseClick(widget, Qt::LeftButton);
    else // the background where no control covers it
        QTest::mouseMove(widget, part == "background" ? QPoint(3, 3) : widget->rect().center());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void startUp_data();
    void startUp();
    void onePressActsOnceAndSpringsBack_data();
    void onePressActsOnceAndSpringsBack();
    void pointerRules_data();
    void pointerRules();
    void closeDuringRunStopsThenCloses();
    void idleCloseEndsTheProgram();
};

void TestMainWindow::controls_data()
{
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("text"); // a button's caption, the list's tooltip
    QTest::newRow("ListView1") << QRect(120, 120, 6375, 1815)
                               << "Drag and drop files here. Double-click item to remove it. "
                                  "Move bar to right and out of window to reveal full names.";
    QTest::newRow("Check1") << QRect(120, 2040, 2055, 1095) << "Add PSD File(s)";
    QTest::newRow("Check3") << QRect(2280, 2040, 2055, 1095) << "Add All File(s) In Folder";
    QTest::newRow("Check2") << QRect(4440, 2040, 2055, 1095) << "Convert to JPG";
    QTest::newRow("ProgressBar1") << QRect(120, 3240, 6375, 375) << "";
    QTest::newRow("Command1") << QRect(-720, 2640, 615, 495) << "Command1";
}

void TestMainWindow::controls()
{
    QFETCH(QRect, twips);
    QFETCH(QString, text);
    const RecordedWindow window;
    const QWidget *control = window.Control(QTest::currentDataTag());
    QCOMPARE(control->geometry(), QRect(twips.topLeft() / 15, twips.size() / 15));
    const char *property = control->inherits("QAbstractButton") ? "text" : "toolTip";
    QCOMPARE(control->property(property).toString(), text);
}

void TestMainWindow::startUp_data()
{
    QTest::addColumn<double>("random");
    QTest::addColumn<bool>("opens");
    QTest::newRow("draws 6") << 0.0599 << false;
    QTest::newRow("draws 7, lowest") << 0.06 << true;
    QTest::newRow("draws 8") << 0.07 << false;
}

void TestMainWindow::startUp()
{
    QFETCH(double, random);
    QFETCH(bool, opens);
    RecordedWindow window(random);
    QCOMPARE(window.opened, opens ? QList<QUrl>{QUrl(HomePageAddress)} : QList<QUrl>());
    QCOMPARE(window.form->windowTitle(), "Quillmere");
    QCOMPARE(window.form->minimumSize(), QSize(441, 249));
    QCOMPARE(window.form->maximumSize(), QSize(441, 249));
    const auto *list = window.Control<QTreeView>("ListView1");
    QCOMPARE(list->header()->sectionSize(0), 353);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), "PSD File(s)");
    const QPoint screenCentre = window.form->screen()->geometry().center();
    QVERIFY((window.form->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    // Halves are kept to the last rounding; a screen smaller than the window leaves it partly off.
    QCOMPARE(CentredTopLeft(QRect(1920, 100, 800, 201), QSize(441, 249)), QPoint(2100, 76));
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(window.shown, QStringList());
    QStringList tabOrder;
    for (int step = 0; step < 5; ++step, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
        tabOrder << QApplication::focusWidget()->objectName();
    QCOMPARE(tabOrder, QStringList({"Command1", "Check1", "Check2", "ListView1", "Check3"}));
    // The bar keeps a run's fractional share.
    auto *bar = window.Control<QProgressBar>("ProgressBar1");
    window.form->SetProgressValue(100.0f / 3);
    QVERIFY(qAbs(double(bar->value()) / bar->maximum() - 1.0 / 3) < 0.001);
}

void TestMainWindow::onePressActsOnceAndSpringsBack_data()
{
    QTest::addColumn<int>("appended");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Check1") << 2
                            << "files|Add File(s) - Hold Ctrl or Shift to select multiple files|"
                               "Photoshop Files (*.psd)";
    QTest::newRow("Check3") << 0 << "text|Enter file extension to load:|Quillmere|*"; // cancelled
    QTest::newRow("Check2") << 0 << "Done.";
}

void TestMainWindow::onePressActsOnceAndSpringsBack()
{
    QFETCH(int, appended);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    RecordedWindow window;
    const QString listed = WriteFile(dir, "one.psd", SmallPsd());
    window.form->List().AppendPaths({QFile::encodeName(listed)});
    window.chosenFiles = {"/a/c.psd", listed};
    QTest::mouseClick(window.Control(QTest::currentDataTag()), Qt::LeftButton);
    QCOMPARE(window.shown, QStringList{shown});
    QCOMPARE(window.form->List().Count(), 1 + appended);
    QVERIFY(!window.Control<QAbstractButton>(QTest::currentDataTag())->isChecked());
}

void TestMainWindow::pointerRules_data()
{
    // The tag is the route; after each step the pointer shows the arrow, the hand or busy.
    QTest::addColumn<bool>("handFile");
    QTest::addColumn<QString>("shown");
    QTest::newRow("list Check1 background Check2 list Check3 ProgressBar1") << true << "AHAHAHA";
    QTest::newRow("busy Check1 list Check2 background Check3 ProgressBar1") << true << "BBBBBBB";
    QTest::newRow("Check1") << false << "A";
}

void TestMainWindow::pointerRules()
{
    QFETCH(bool, handFile);
    QFETCH(QString, shown);
    QTemporaryDir empty;
    RecordedWindow window(0.5, handFile ? QCoreApplication::applicationDirPath() : empty.path());
    const QMap<int, QChar> letters{{Qt::ArrowCursor, 'A'}, {Qt::WaitCursor, 'B'}};
    QString seen;
    for (const QString &part : QString(QTest::currentDataTag()).split(' ')) {
        Visit(window, part);
        const QCursor pointer = window.form->cursor();
        // The hand points with its index finger; no other pointer has that hot spot.
        seen += pointer.hotSpot() == QPoint(11, 1) ? 'H' : letters.value(pointer.shape(), '?');
    }
    QCOMPARE(seen, shown);
    window.form->SetPointerShape(PointerShape::Default); // ends a busy hold
}

void TestMainWindow::closeDuringRunStopsThenCloses()
{
    QTemporaryDir dir;
    RecordedWindow window;
    // More entries than the run has workers, so some are never handed out.
    const int count = QThread::idealThreadCount() + 2;
    for (int i = 0; i < count; ++i)
        window.form->List().AppendPaths(
            {QFile::encodeName(WriteFile(dir, QString("%1.psd").arg(i), SmallPsd(64, 64)))});
    QTimer::singleShot(0, window.form.get(), &QWidget::close); // while the run waits on workers
    QTest::mouseClick(window.Control("Check2"), Qt::LeftButton);
    QVERIFY(!window.form->isVisible());
    QCOMPARE(window.shown, QStringList());
    QVERIFY(QDir(dir.path()).entryList({"*.jpg"}).count() < count);
}

void TestMainWindow::idleCloseEndsTheProgram()
{
    RecordedWindow window;
    QTimer::singleShot(0, window.form.get(), &QWidget::close);
    // A program that lingers after its window has closed fails here rather than hanging.
    QTimer::singleShot(5000, window.form.get(), [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
