#include "filelist/dropintake.h"
#include "filelist/filelist.h"
#include "filelist/folderintake.h"
#include "filelist/folderintakehost.h"
#include "scan/argumententries.h"
#include "support/fixtures.h"

#include <QtTest>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A person who answers at once, and a record of what the scan did to the window.
struct RecordingHost : FolderIntakeHost {
    QString answer = QStringLiteral("psd"), folder;
    bool stop = false;
    QList<bool> busy;
    int yields = 0;
    std::function<void()> onYield = [] {};

    QString AskText(const QString &, const QString &, const QString &) override { return answer; }
    QString ChooseFolder(const QString &) override { return folder; }
    void SetBusy(bool on) override { busy << on; }
    bool ScanShouldStop() const override { return stop; }
    void Yield() override { ++yields, onYield(); }
};

// Every file of the extension test, in listing order.
const QByteArrayList AllFiles{"A/.bashrc",      "A/a..psd", "A/a.psd.psd", "A/caf\xe9.PSD",
                              "A/file.psd.bak", "A/noext",  "A/x.ps",      "A/X.PSD",
                              "A/x.psd",        "A/x.psdx", "A/x.ÄRGER"};

} // namespace

class TestIntakes : public QObject
{
    Q_OBJECT

private slots:
    void listKeepsBytesAsGiven();
    void init();
    void cleanup();
    void treeInLevelOrder();
    void extensionAnswers_data();
    void extensionAnswers();
    void walksEndAndPassOverWhatTheyCannotRead();
    void argumentsInOrder();
    void dropAppendsLocalPathsInOrder_data();
    void dropAppendsLocalPathsInOrder();

private:
    QByteArrayList Touch(const QByteArrayList &relatives);
    QByteArrayList Scan(const QString &relative);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_root;
    RecordingHost m_host;
    std::unique_ptr<FileList> m_list;
};

void TestIntakes::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = QFile::encodeName(m_dir->path()) + '/';
    m_host = RecordingHost();
    m_list = std::make_unique<FileList>();
}

void TestIntakes::cleanup()
{
    RemoveBelow(m_root);
}

// Makes empty files, or folders where the name ends in "/", named by their bytes; their paths.
QByteArrayList TestIntakes::Touch(const QByteArrayList &relatives)
{
    QByteArrayList paths;
    for (const QByteArray &relative : relatives) {
        paths << m_root + relative;
        if (!MakeByBytes(paths.last()))
            qFatal("cannot make %s", paths.last().constData());
    }
    return paths;
}

QByteArrayList TestIntakes::Scan(const QString &relative)
{
    m_host.folder = relative.isEmpty() ? QString() : m_dir->filePath(relative);
    FolderIntake(*m_list, m_host).Run();
    return m_list->Paths();
}

void TestIntakes::treeInLevelOrder()
{
    // Two names that differ only in bytes that are not UTF-8 are two files, in byte order.
    const QByteArrayList files =
        Touch({"A/.h.psd", "A/a.psd", "A/caf\xe8.psd", "A/caf\xe9.psd", "A/B/b.psd", "A/C/c.psd",
               "A/dossier\xe9/caf\xe9.psd", "A/~old/y.psd", "A/B/B1/b1.psd"});
    const QByteArrayList inHidden = Touch({"A/~x.psd", "A/.hid/in.psd"}).mid(1);
    // A prompt cancelled, or an empty answer, changes nothing.
    m_host.answer = "";
    QVERIFY(Scan("A").isEmpty());
    m_host.answer = "psd";
    QVERIFY(Scan("").isEmpty());
    QVERIFY(m_host.busy.isEmpty());
    QCOMPARE(Scan("A"), files);
    // A hidden folder chosen, with its slash, is listed; a second scan appends everything again.
    QCOMPARE(Scan("A/.hid/"), files + inHidden);
    QCOMPARE(Scan("A"), files + inHidden + files);
}

void TestIntakes::extensionAnswers_data()
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

void TestIntakes::extensionAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QByteArrayList, matches);
    Touch(AllFiles + QByteArrayList{"A/sub.psd/"});
    m_host.answer = answer;
    QCOMPARE(Scan("A"), Touch(matches));
}

void TestIntakes::walksEndAndPassOverWhatTheyCannotRead()
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
    // At the 5th yield A is listed and "gone" queued; it vanishes before it is listed.
    m_host.onYield = [&] {
        if (m_host.yields == 5)
            QDir(m_dir->filePath("A/gone")).removeRecursively();
    };
    QCOMPARE(Scan("A"), made.mid(0, 2) << m_root + "A/C/l.psd" << made[2]);
}

void TestIntakes::argumentsInOrder()
{
    const QByteArrayList made = Touch({"caf\xe9.psd", "dossier\xe9/b.psd", "dossier\xe9/sub/c.PSD",
                                       "dossier\xe9/x.jpg", "dossier\xe9/~t.psd"});
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    // A folder is gathered; a file, there or not, is taken as given, beside where it is named.
    const QByteArrayList entries =
        EntriesOfArguments({"dossier\xe9", "caf\xe9.psd", "", m_root + "gone.psd", "./caf\xe9.psd"},
                           QStringLiteral("psd"), m_host);
    QCOMPARE(entries, (QByteArrayList{made[1], made[2], made[0], m_root + "gone.psd",
                                      m_root + "./caf\xe9.psd"}));
    // From the top folder too.
    QDir::setCurrent("/");
    QCOMPARE(EntriesOfArguments({m_root.mid(1) + "caf\xe9.psd"}, "psd", m_host), made.mid(0, 1));
    QDir::setCurrent(before);
}

void TestIntakes::dropAppendsLocalPathsInOrder_data()
{
    // URLs as text/uri-list carries them, and the paths appended.
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QByteArrayList>("appended");
    QTest::newRow("files and a folder, in order")
        << QStringList{"file:///p/c.psd", "file:///p/a.psd", "file:///p/b.jpg", "file:///p/",
                       "file:///listed.psd"}
        << QByteArrayList{"/p/c.psd", "/p/a.psd", "/p/b.jpg", "/p/", "/listed.psd"};
    // Two names that differ only in bytes that are not UTF-8 stay two entries.
    QTest::newRow("Latin-1 bytes")
        << QStringList{"file:///dossier%E9/caf%E9.psd", "file:///dossier%E9/caf%E8.psd"}
        << QByteArrayList{"/dossier\xe9/caf\xe9.psd", "/dossier\xe9/caf\xe8.psd"};
    QTest::newRow("remote ones left out") << QStringList{"https://example.org/x.psd",
                                                         "file:///p/my%20file%20%231.psd",
                                                         "file://localhost/p/%C3%BC.psd",
                                                         "file://elsewhere/p/b.psd",
                                                         "file:relative.psd",
                                                         "file:///p/nul%00.psd"}
                                          << QByteArrayList{"/p/my file #1.psd", "/p/ü.psd"};
    QTest::newRow("text and an image only") << QStringList() << QByteArrayList();
}

void TestIntakes::dropAppendsLocalPathsInOrder()
{
    QFETCH(QStringList, dropped);
    QFETCH(QByteArrayList, appended);
    m_list->AppendPaths({QByteArray("/listed.psd")});
    DropIntake intake(*m_list);
    QMimeData data;
    // Text and an image ride along with every drop: only local file URLs count.
    data.setText("/p/t.psd");
    data.setData("image/png", "\x89PNG");
    if (!dropped.isEmpty())
        data.setData("text/uri-list", dropped.join("\r\n").toLatin1() + "\r\n");
    QCOMPARE(intake.Accepts(&data), !appended.isEmpty());
    QCOMPARE(intake.Drop(&data), !appended.isEmpty());
    QVERIFY(!intake.Accepts(nullptr) && !intake.Drop(nullptr));
    QCOMPARE(m_list->Paths(), QByteArrayList{"/listed.psd"} + appended);
}

// The list the intakes fill, as its views see it.
void TestIntakes::listKeepsBytesAsGiven()
{
    FileList list;
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    // Two Latin-1 names that read alike once their invalid bytes are replaced.
    const QByteArrayList paths{"/caf\xe9.psd", "/caf\xe8.psd", "", "/a.psd", "/a.psd"};
    list.AppendPaths(paths);
    list.AppendPaths(QByteArrayList());
    list.AppendPaths({QByteArray("/ü.psd")});
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(list.Paths(), paths + QByteArrayList{"/\xc3\xbc.psd"});
    QCOMPARE(list.PathAt(1), QByteArray("/caf\xe8.psd"));
    QVERIFY(list.PathAt(-1).isEmpty() && list.PathAt(6).isEmpty());
    QCOMPARE(list.data(list.index(0), Qt::DisplayRole).toString(),
             QString::fromUtf8("/caf\ufffd.psd"));
    QCOMPARE(list.data(list.index(5), Qt::DisplayRole).toString(), QString::fromUtf8("/ü.psd"));
    // The view's drag and double-click use the model's own row operations; moves and removals
    // that name rows outside the list are refused.
    QVERIFY(list.moveRow(QModelIndex(), 5, QModelIndex(), 0) && list.removeRows(1, 2));
    QVERIFY(!list.moveRow(QModelIndex(), 0, QModelIndex(), 7) && !list.removeRows(3, 2));
    QCOMPARE(list.Paths(), (QByteArrayList{"/\xc3\xbc.psd", "", "/a.psd", "/a.psd"}));
}

QTEST_GUILESS_MAIN(TestIntakes)
#include "tst_intakes.moc"
