#include "run/targetpath.h"
#include "scan/folderscanner.h"
#include "support/fixtures.h"
#include "support/recordedwindow.h"

#include <QHeaderView>
#include <QMimeData>
#include <QProgressBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeView>

namespace
{

// A person's double-click on an entry: QTest's own sends the second press alone.
void DoubleClick(QTreeView *view, int row)
{
    const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startUp();
    void buttons_data();
    void buttons();
    void pointers();
    void runRefusesInput();
    void closeDuringRunEndsAfterFilesInHand();
    void commandsDuringAScan_data();
    void commandsDuringAScan();
};

void TestMainWindow::startUp()
{
    // Now and then a start opens the home page; most do not.
    QCOMPARE(RecordedWindow().opened, QList<QUrl>());
    RecordedWindow window(0.065);
    QCOMPARE(window.opened, QList<QUrl>{QUrl(HomePageAddress)});
    QCOMPARE(window.form->windowTitle(), "Quillmere");
    const QPoint screenCentre = window.form->screen()->geometry().center();
    QVERIFY((window.form->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    // No control holds the focus at first, so keys do nothing until Tab.
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(window.shown, QStringList());
}

void TestMainWindow::buttons_data()
{
    // What a click shows first: a dialog by its kind (answered with two files), or a message.
    // (The folder command and a conversion are shown in the tests below.)
    QTest::addColumn<QString>("listed"); // "" or a small PSD's name
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("count");
    QTest::newRow("addFiles") << "one.psd"
                              << "files" << 3;
    QTest::newRow("convert") << ""
                             << "No files added." << 0;
}

void TestMainWindow::buttons()
{
    QFETCH(QString, listed);
    QFETCH(QString, shown);
    QFETCH(int, count);
    QTemporaryDir dir;
    RecordedWindow window;
    if (!listed.isEmpty())
        window.form->list().AppendPaths({QFile::encodeName(WriteFile(dir, listed, SmallPsd()))});
    window.chosenFiles = {"/a/c.psd", "/a/d.psd"};
    QTest::mouseClick(window.Control(QString(QTest::currentDataTag()).trimmed()), Qt::LeftButton);
    QTRY_COMPARE(window.shown.size(), 1);
    QCOMPARE(window.shown[0].section('|', 0, 0), shown);
    QCOMPARE(window.form->list().Count(), count);
    QCOMPARE(window.Control<QProgressBar>("progress")->value(), 0);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

// The hand over the buttons (its index finger is the hot spot), the arrow elsewhere; the arrow
// everywhere without the hand's file.
void TestMainWindow::pointers()
{
    QTemporaryDir empty;
    for (const QString &folder : {QCoreApplication::applicationDirPath(), empty.path()}) {
        RecordedWindow window(0.5, folder);
        const bool hand = folder != empty.path();
        for (const char *button : {"addFiles", "addFolder", "convert"}) {
            const QCursor pointer = window.Control(button)->cursor();
            QCOMPARE(pointer.shape(), hand ? Qt::BitmapCursor : Qt::ArrowCursor);
            QVERIFY(!hand || pointer.hotSpot() == QPoint(11, 1));
        }
        for (QWidget *part : QList<QWidget *>{window.form.get(), window.Control("progress"),
                                              window.Control<QTreeView>("list")->viewport()})
            QCOMPARE(part->cursor().shape(), Qt::ArrowCursor);
    }
}

void TestMainWindow::runRefusesInput()
{
    QTemporaryDir dir;
    RecordedWindow window;
    window.form->run().SetWorkerProgram(WorkerScript(dir, "sleep 1"));
    FileList &list = window.form->list();
    list.AppendPaths({QFile::encodeName(WriteFile(dir, "a.psd", SmallPsd())), "/b.psd"});
    auto *view = window.Control<QTreeView>("list");
    QTest::mouseClick(window.Control("convert"), Qt::LeftButton);
    QVERIFY(window.form->run().IsRunning());

    // Clicks, a double-click, keys and a drop: none of it reaches the list or the buttons.
    QTest::mouseClick(window.Control("addFiles"), Qt::LeftButton);
    QTest::mouseClick(window.Control("convert"), Qt::LeftButton);
    DoubleClick(view, 1);
    QTest::keyClick(view, Qt::Key_Tab);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/x.psd")});
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &drop);
    QCOMPARE(list.Count(), 2);
    QVERIFY(window.shown.isEmpty());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor); // over every part

    QTRY_VERIFY_WITH_TIMEOUT(!window.shown.isEmpty(), 20'000);
    QCOMPARE(window.shown, QStringList{"Done.\n\n1 of 2 files could not be converted:\n/b.psd: "
                                       "could not be read or decoded (No such file or directory)"});
    // Afterwards the list takes input again.
    DoubleClick(view, 1);
    QCOMPARE(list.Count(), 1);
}

void TestMainWindow::closeDuringRunEndsAfterFilesInHand()
{
    QTemporaryDir dir;
    RecordedWindow window;
    window.form->run().SetWorkerCount(2);
    const int count = 8;
    for (int i = 0; i < count; ++i)
        window.form->list().AppendPaths(
            {QFile::encodeName(WriteFile(dir, QString("%1.psd").arg(i), SmallPsd(64, 64)))});
    // The window manager's close button, while the second file is in hand.
    connect(&window.form->run(), &ConversionRun::EntryStarted, window.form.get(), [&](int index) {
        if (index == 1)
            QApplication::postEvent(window.form.get(), new QCloseEvent);
    });
    QSignalSpy finished(&window.form->run(), &ConversionRun::Finished);
    QTest::mouseClick(window.Control("convert"), Qt::LeftButton);
    QTimer::singleShot(60'000, window.form.get(), [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0); // the program ends once the window has gone

    QVERIFY(!window.form->isVisible());
    QCOMPARE(window.shown, QStringList());
    const auto report = finished.value(0).value(0).value<RunReport>();
    QVERIFY(report.stopped);
    const QStringList written = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    int converted = 0;
    for (const EntryResult &entry : report.entries) {
        const bool ok = entry.status == wire::Status::Ok;
        QVERIFY(ok || entry.status == wire::Status::NotConverted);
        QCOMPARE(QFileInfo::exists(QFile::decodeName(TargetPathOf(entry.source))), ok);
        converted += ok;
    }
    // The files in hand and nothing else, and no half-written file.
    QVERIFY(converted >= 2 && converted < count);
    QCOMPARE(written.size(), count + converted);
}

void TestMainWindow::commandsDuringAScan_data()
{
    // What a person does while the scan is held on its thread after its first folder's files
    // are listed; the list afterwards, as positions in the tree ("0" stands for its first file,
    // also listed before the scan).
    QTest::addColumn<QString>("after");
    // The run takes the two entries listed then, and the scan goes on.
    QTest::newRow("convert") << "0 0123";
    QTest::newRow("close") << "0 0";
    // Named on the command line, the folder and then its first file, which the stop leaves out.
    QTest::newRow("close, folder named") << "0 0";
    // The second scan waits for the first.
    QTest::newRow("double-click, then scan again") << "0123 0123";
}

void TestMainWindow::commandsDuringAScan()
{
    QFETCH(QString, after);
    const QString command = QTest::currentDataTag();
    QTemporaryDir root;
    QStringList tree{"a.psd", "B/b.psd", "C/c.PSD", "B/B1/d.psd", "x.txt", "~t.psd"};
    for (QString &file : tree) {
        file = root.filePath(file);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()) && QFile(file).open(QIODevice::WriteOnly));
    }
    // Before the window, whose scan thread may still reach them until it goes.
    QSemaphore given;
    bool held = false;
    bool busyMeanwhile = false;
    bool stillShown = false;
    RecordedWindow window;
    FileList &list = window.form->list();
    list.AppendPaths({QFile::encodeName(tree[0])});
    window.typedText = "psd";
    window.chosenFolder = root.path();
    const auto give = [&] {
        if (command.startsWith("close"))
            stillShown = !window.form->close() && window.form->isVisible();
        else if (command == "convert") // two empty, damaged files
            QTest::mouseClick(window.Control("convert"), Qt::LeftButton);
        else {
            DoubleClick(window.Control<QTreeView>("list"), 0);
            QTest::mouseClick(window.Control("addFolder"), Qt::LeftButton);
        }
        busyMeanwhile = QGuiApplication::overrideCursor() != nullptr;
        given.release();
    };
    FolderScanner &scanner = window.form->folderIntake().Scanner();
    connect(
        &scanner, &FolderScanner::FoldersFound, &scanner,
        [&] {
            if (std::exchange(held, true))
                return;
            QMetaObject::invokeMethod(window.form.get(), give, Qt::QueuedConnection);
            given.tryAcquire(1, 20'000);
        },
        Qt::DirectConnection);
    const bool named = command.endsWith("named");
    if (named)
        window.form->addArguments({QFile::encodeName(root.path()), QFile::encodeName(tree[0])});
    else
        QTest::mouseClick(window.Control("addFolder"), Qt::LeftButton);
    QTRY_VERIFY(!window.form->folderIntake().IsScanning());
    // The two dialogs of each chosen folder, and a message only from the conversion.
    QTRY_COMPARE(window.shown.size(), (named                       ? 0
                                       : command.endsWith("again") ? 4
                                                                   : 2) +
                                          (command == "convert"));
    QVERIFY(named || window.shown[1] == "folder|Please select folder to add:");
    QVERIFY(command != "convert" || window.shown[2].contains("2 of 2 files"));
    // A close ends the scan and then the window, not at once; the other commands leave the
    // scan to go on.
    QCOMPARE(stillShown, command.startsWith("close"));
    QCOMPARE(window.form->isVisible(), !command.startsWith("close"));
    QByteArrayList expected;
    for (const QChar position : after.remove(' '))
        expected << QFile::encodeName(tree[position.digitValue()]);
    QCOMPARE(list.Paths(), expected);
    QVERIFY(busyMeanwhile);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
