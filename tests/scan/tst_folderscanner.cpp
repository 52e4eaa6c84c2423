#include "scan/folderscanner.h"
#include "scan/gatherfiles.h"
#include "scan/scanthread.h"
#include "support/fixtures.h"

#include <QtTest>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Every file of the extension test, in listing order.
const QByteArrayList AllFiles{"A/.bashrc",      "A/a..psd", "A/a.psd.psd", "A/caf\xe9.PSD",
                              "A/file.psd.bak", "A/noext",  "A/x.ps",      "A/X.PSD",
                              "A/x.psd",        "A/x.psdx", "A/x.ÄRGER"};

// The walk's checks for a stop, counted: its own points in time. It stops from the check
// numbered stopAt on.
struct CountingControl : ScanControl {
    mutable int checks = 0;
    int stopAt = 0;
    std::function<void(int)> onCheck = [](int) {};

    bool ScanShouldStop() const override
    {
        onCheck(++checks);
        return stopAt > 0 && checks >= stopAt;
    }
};

} // namespace

class TestFolderScanner : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void treeInLevelOrder();
    void extensionAnswers_data();
    void extensionAnswers();
    void argumentsInOrder();
    void stopEndsTheRunningAndTheWaiting();
    void walksEndAndPassOverWhatTheyCannotRead();

private:
    QByteArrayList Touch(const QByteArrayList &relatives);
    int Ends() const { return int(m_said.count(QByteArrayList())); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_root;
    std::unique_ptr<ScanThread> m_thread;
    // What the scanner said, in order: each batch of files, and an empty batch for each end.
    QList<QByteArrayList> m_said;
};

void TestFolderScanner::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = QFile::encodeName(m_dir->path()) + '/';
    m_said.clear();
    m_thread = std::make_unique<ScanThread>();
    FolderScanner &scanner = m_thread->Scanner();
    connect(&scanner, &FolderScanner::FoldersFound, this,
            [this](const QList<QByteArrayList> &folders) { m_said << folders; });
    connect(&scanner, &FolderScanner::RequestEnded, this, [this] { m_said << QByteArrayList(); });
}

void TestFolderScanner::cleanup()
{
    m_thread.reset();
    RemoveBelow(m_root);
}

// Makes empty files, or folders where the name ends in "/", named by their bytes; their paths.
QByteArrayList TestFolderScanner::Touch(const QByteArrayList &relatives)
{
    QByteArrayList paths;
    for (const QByteArray &relative : relatives) {
        paths << m_root + relative;
        if (!MakeByBytes(paths.last()))
            qFatal("cannot make %s", paths.last().constData());
    }
    return paths;
}

void TestFolderScanner::treeInLevelOrder()
{
    // Two names that differ only in bytes that are not UTF-8 are two files, in byte order.
    const QByteArrayList files =
        Touch({"A/.h.psd", "A/a.psd", "A/caf\xe8.psd", "A/caf\xe9.psd", "A/B/b.psd", "A/C/c.psd",
               "A/dossier\xe9/caf\xe9.psd", "A/~old/y.psd", "A/B/B1/b1.psd"});
    const QByteArrayList inHidden = Touch({"A/~x.psd", "A/.hid/in.psd"}).mid(1);
    // Asked for before the first has begun, they run in the order asked. A hidden folder
    // chosen, with its slash, is listed; one that is not there still ends.
    FolderScanner &scanner = m_thread->Scanner();
    for (const QByteArray folder : {"A", "A/.hid/", "gone"})
        scanner.AskFolder(m_root + folder, QStringLiteral("psd"));
    QTRY_COMPARE(Ends(), 3);
    // One batch for each folder with files.
    const QList<QByteArrayList> byFolder{files.mid(0, 4), files.mid(4, 1), files.mid(5, 1),
                                         files.mid(6, 1), files.mid(7, 1), files.mid(8, 1)};
    QCOMPARE(m_said, (byFolder + QList<QByteArrayList>{{}, inHidden, {}, {}}));
}

void TestFolderScanner::extensionAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArrayList>("matches");
    const QByteArrayList psd{"A/a..psd", "A/a.psd.psd", "A/caf\xe9.PSD", "A/X.PSD", "A/x.psd"};
    QTest::newRow("either case") << "psd" << psd;
    QTest::newRow("one character") << "PS?" << psd;
    QTest::newRow("leading dot kept") << ".psd" << QByteArrayList{"A/a..psd"};
    QTest::newRow("non-ASCII case") << "ärger" << QByteArrayList{"A/x.ÄRGER"};
    QTest::newRow("default, every file") << "*" << AllFiles;
}

void TestFolderScanner::extensionAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QByteArrayList, matches);
    Touch(AllFiles + QByteArrayList{"A/sub.psd/"});
    m_thread->Scanner().AskFolder(m_root + "A", answer);
    QTRY_COMPARE(Ends(), 1);
    QCOMPARE(m_said, (QList<QByteArrayList>{Touch(matches), {}}));
}

void TestFolderScanner::argumentsInOrder()
{
    const QByteArrayList made = Touch({"caf\xe9.psd", "dossier\xe9/b.psd", "dossier\xe9/sub/c.PSD",
                                       "dossier\xe9/x.jpg", "dossier\xe9/~t.psd"});
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    // A folder is gathered a folder at a time; files, there or not, are taken as given, beside
    // where they are named, those in a row together.
    FolderScanner &scanner = m_thread->Scanner();
    scanner.AskArguments({"dossier\xe9", "caf\xe9.psd", "", m_root + "gone.psd", "./caf\xe9.psd"});
    QTRY_COMPARE(Ends(), 1);
    // From the top folder too.
    QDir::setCurrent("/");
    scanner.AskArguments({m_root.mid(1) + "caf\xe9.psd"});
    QTRY_COMPARE(Ends(), 2);
    QDir::setCurrent(before);
    const QByteArrayList named{made[0], m_root + "gone.psd", m_root + "./caf\xe9.psd"};
    QCOMPARE(m_said, (QList<QByteArrayList>{{made[1]}, {made[2]}, named, {}, {made[0]}, {}}));
}

void TestFolderScanner::stopEndsTheRunningAndTheWaiting()
{
    const QByteArrayList made = Touch({"A/a.psd", "A/B/b.psd", "A/C/c.psd"});
    FolderScanner &scanner = m_thread->Scanner();
    // At the first folder's files, on the scanner's thread, while a second scan waits.
    connect(
        &scanner, &FolderScanner::FoldersFound, &scanner, [&scanner] { scanner.Stop(); },
        Qt::DirectConnection);
    scanner.AskFolder(m_root + "A", QStringLiteral("psd"));
    scanner.AskArguments({made[1]});
    QTRY_COMPARE(Ends(), 2);
    QCOMPARE(m_said, (QList<QByteArrayList>{{made[0]}, {}, {}}));
}

void TestFolderScanner::walksEndAndPassOverWhatTheyCannotRead()
{
    const QByteArrayList made =
        Touch({"A/B/b.psd", "A/C/c.psd", "A/C/\xff\xfe.psd", "A/gone/g.psd"});
    // Target, link: two lead back into the tree, one to a file, one nowhere.
    const QByteArrayList links{"A",         "A/B/up",    "A/B",       "A/C/toB",
                               "A/C/c.psd", "A/C/l.psd", "A/nowhere", "A/C/dangling.psd"};
    for (qsizetype i = 0; i < links.size(); i += 2)
        QVERIFY(::symlink((m_root + links[i]).constData(), (m_root + links[i + 1]).constData()) ==
                0);
    // Opening a pipe would stall the scan.
    QVERIFY(::mkfifo((m_root + "A/C/pipe.psd").constData(), 0600) == 0);
    if (::geteuid() != 0) // root reads folders whatever their mode
        QVERIFY(::chmod(Touch({"A/C/locked/"})[0].constData(), 0) == 0);
    // At the 5th check A is listed and "gone" queued; it vanishes before it is listed.
    CountingControl control;
    control.onCheck = [&](int check) {
        if (check == 5)
            QDir(m_dir->filePath("A/gone")).removeRecursively();
    };
    QByteArrayList taken;
    const TakeFiles take = [&](const QByteArrayList &paths) { taken += paths; };
    QVERIFY(GatherFiles(m_root + "A", "psd", control, take));
    QCOMPARE(taken, made.mid(0, 2) << m_root + "A/C/l.psd" << made[2]);
    // Stopped while the subfolders are listed, the gathering takes nothing and says so.
    taken.clear();
    control = CountingControl();
    control.stopAt = 3;
    QVERIFY(!GatherFiles(m_root + "A", "psd", control, take));
    QCOMPARE(taken, QByteArrayList());
}

QTEST_GUILESS_MAIN(TestFolderScanner)
#include "tst_folderscanner.moc"
