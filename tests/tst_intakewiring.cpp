#include "filelistview.h"
#include "recordedwindow.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Offers data to the list as the desktop would: enter, then drop where it was let go. The drop
// is sent even when the enter was refused, to show that it appends nothing either.
bool DragOnto(QWidget *viewport, const QPoint &point, const QMimeData &data,
              Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
{
    QDragEnterEvent enter(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent drop(point, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    // The list only names the files: a source must never be told they were moved.
    if (drop.isAccepted() && drop.dropAction() != Qt::CopyAction)
        return false;
    return accepted && drop.isAccepted();
}

std::unique_ptr<QMimeData> Files(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

// Empty files at the given relative paths, folders made on the way.
void MakeTree(const QTemporaryDir &root, const QStringList &files)
{
    for (const QString &file : files) {
        const QString path = root.filePath(file);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
    }
}

QPoint FirstEntry(const RecordedWindow &window)
{
    const auto *view = window.Control<FileListView>("ListView1");
    return view->visualRect(view->model()->index(0, 0)).center();
}

} // namespace

class TestIntakeWiring : public QObject
{
    Q_OBJECT

private slots:
    void addFilesAppendsTheDialogsChoice_data();
    void addFilesAppendsTheDialogsChoice();
    void dropsOntoTheList_data();
    void dropsOntoTheList();
    void firstItemClickEndsDrops_data();
    void firstItemClickEndsDrops();
    void addFolderScansATree_data();
    void addFolderScansATree();
    void closeDuringAScanEndsItAndTheProgram();
    void conversionDuringAScanLeavesItBusy();
};

void TestIntakeWiring::addFilesAppendsTheDialogsChoice_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("three, in the dialog's order") << QStringList{"/a/c.psd", "/a/a.psd", "/b.PSD"};
    QTest::newRow("cancelled") << QStringList();
    QTest::newRow("already listed") << QStringList{"/listed.psd"};
}

void TestIntakeWiring::addFilesAppendsTheDialogsChoice()
{
    QFETCH(QStringList, chosen);
    RecordedWindow window;
    window.form->List().AppendPath("/listed.psd");
    window.Show();
    window.chosenFiles = chosen;
    window.Press("Check1");
    const QStringList dialog = {"files",
                                "Add File(s) - Hold Ctrl or Shift to select multiple files",
                                "Photoshop Files (*.psd)"};
    QCOMPARE(window.dialogs, QList<QStringList>{dialog});
    QCOMPARE(window.owners, QList<QWidget *>{window.form.get()});
    QCOMPARE(window.form->List().Paths(), QStringList{"/listed.psd"} + chosen);
}

void TestIntakeWiring::dropsOntoTheList_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("actions");
    QTest::addColumn<QStringList>("appended");
    const int any = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("three files") << "files" << any
                                 << QStringList{"/p/c.psd", "/p/a.psd", "/p/b.jpg"};
    QTest::newRow("a folder is one entry") << "folder" << any << QStringList{"FOLDER"};
    QTest::newRow("text refused") << "text" << any << QStringList();
    QTest::newRow("move only refused") << "files" << int(Qt::MoveAction) << QStringList();
}

void TestIntakeWiring::dropsOntoTheList()
{
    QFETCH(QString, kind);
    QFETCH(int, actions);
    QFETCH(QStringList, appended);
    QTemporaryDir folder;
    RecordedWindow window;
    window.form->List().AppendPath("/listed.psd");
    window.Show();
    std::unique_ptr<QMimeData> data;
    if (kind == "files") {
        data = Files({"/p/c.psd", "/p/a.psd", "/p/b.jpg"});
    } else if (kind == "folder") {
        data = Files({folder.path()});
        appended = {folder.path()};
    } else {
        data = std::make_unique<QMimeData>();
        data->setText("/p/c.psd");
    }
    QWidget *viewport = window.Part("list");
    QVERIFY(viewport->acceptDrops());
    // Let go over the listed entry: new ones still go to the end.
    QCOMPARE(DragOnto(viewport, FirstEntry(window), *data, Qt::DropActions(actions)),
             !appended.isEmpty());
    QCOMPARE(window.form->List().Paths(), QStringList{"/listed.psd"} + appended);
}

void TestIntakeWiring::firstItemClickEndsDrops_data()
{
    QTest::addColumn<bool>("onEntry");
    QTest::newRow("click on an entry") << true;
    QTest::newRow("click beside the entries") << false;
}

void TestIntakeWiring::firstItemClickEndsDrops()
{
    QFETCH(bool, onEntry);
    RecordedWindow window;
    window.Show();
    QWidget *viewport = window.Part("list");
    QVERIFY(DragOnto(viewport, QPoint(10, 10), *Files({"/p/a.psd"})));
    QTest::mouseClick(viewport, Qt::LeftButton, {},
                      onEntry ? FirstEntry(window) : QPoint(10, viewport->height() - 5));
    QCOMPARE(DragOnto(viewport, QPoint(10, 10), *Files({"/p/b.psd"})), !onEntry);
    // Nothing turns it back on.
    QCOMPARE(DragOnto(viewport, QPoint(10, 10), *Files({"/p/c.psd"})), !onEntry);
    const QStringList after =
        onEntry ? QStringList{"/p/a.psd"} : QStringList{"/p/a.psd", "/p/b.psd", "/p/c.psd"};
    QCOMPARE(window.form->List().Paths(), after);
}

void TestIntakeWiring::addFolderScansATree_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("folderChosen");
    QTest::addColumn<QStringList>("appended");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("psd") << "psd" << true
                         << QStringList{"a.psd", "B/b.psd", "C/c.PSD", "B/B1/d.psd"} << 2;
    QTest::newRow("prompt cancelled") << "" << true << QStringList() << 1;
    QTest::newRow("folder cancelled") << "psd" << false << QStringList() << 2;
}

void TestIntakeWiring::addFolderScansATree()
{
    QFETCH(QString, typed);
    QFETCH(bool, folderChosen);
    QFETCH(QStringList, appended);
    QFETCH(int, dialogs);
    QTemporaryDir root;
    MakeTree(root, {"a.psd", "x.txt", "~t.psd", "B/b.psd", "C/c.PSD", "B/B1/d.psd"});
    RecordedWindow window;
    window.Show();
    window.typedText = typed;
    window.chosenFolder = folderChosen ? root.path() : QString();
    // Only a shape the command changes differs from this one afterwards.
    window.form->SetPointerShape(PointerShape::Custom);
    // Runs at the walk's first yield.
    PointerShape duringScan = PointerShape::Custom;
    QTimer::singleShot(0, window.form.get(),
                       [&] { duringScan = window.form->CurrentPointerShape(); });
    window.Press("Check3");

    const QList<QStringList> asked = {{"text", "Enter file extension to load:", "Quillmere", "*"},
                                      {"folder", "Please select folder to add:"}};
    QCOMPARE(window.dialogs, asked.mid(0, dialogs));
    QStringList expected;
    for (const QString &file : appended)
        expected << root.filePath(file);
    QCOMPARE(window.form->List().Paths(), expected);
    const bool scanned = !typed.isEmpty() && folderChosen;
    QCOMPARE(window.form->CurrentPointerShape(),
             scanned ? PointerShape::Default : PointerShape::Custom);
    if (scanned)
        QCOMPARE(duringScan, PointerShape::Busy);
}

void TestIntakeWiring::closeDuringAScanEndsItAndTheProgram()
{
    QTemporaryDir root;
    MakeTree(root, {"a.psd", "B/b.psd", "C/c.psd"});
    RecordedWindow window;
    window.typedText = "psd";
    window.chosenFolder = root.path();
    window.Show();
    // The close arrives at the walk's first yield, as a person's would.
    QTimer::singleShot(0, window.form.get(), [&] {
        QTimer::singleShot(0, window.form.get(), &QWidget::close);
        window.Press("Check3");
        // The press has returned: the scan is over and the window gone.
        QVERIFY(!window.form->isVisible());
    });
    // A program that lingers after its window has closed fails here rather than hanging.
    QTimer lingering;
    connect(&lingering, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    lingering.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window.form->isVisible());
    QCOMPARE(window.form->List().Count(), 0);
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Default);
}

void TestIntakeWiring::conversionDuringAScanLeavesItBusy()
{
    QTemporaryDir root;
    MakeTree(root, {"a.psd", "B/b.psd"});
    RecordedWindow window;
    window.typedText = "psd";
    window.chosenFolder = root.path();
    window.form->List().AppendPath(root.filePath("missing.psd"));
    window.Show();
    // The user converts while the walk yields; the run ends first, the scan after it.
    PointerShape afterRun = PointerShape::Default;
    QTimer::singleShot(0, window.form.get(), [&] {
        window.Press("Check2");
        afterRun = window.form->CurrentPointerShape();
    });
    window.Press("Check3");

    QCOMPARE(window.messages.size(), 1);
    QCOMPARE(afterRun, PointerShape::Busy);
    QCOMPARE(window.form->CurrentPointerShape(), PointerShape::Default);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(window.form->List().Count(), 3);
}

QTEST_MAIN(TestIntakeWiring)
#include "tst_intakewiring.moc"
