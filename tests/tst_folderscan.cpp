#include "dropintake.h"
#include "filelist.h"
#include "folderintake.h"
#include "folderintakehost.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A person who answers at once, and a record of what the intake asked of the window.
class RecordingHost : public FolderIntakeHost
{
public:
    QString extension = QStringLiteral("psd");
    QString folder;
    QStringList asked;
    QList<bool> busy;
    int yields = 0;
    bool stop = false;
    std::function<void()> onYield;

    QString AskText(const QString &prompt, const QString &title, const QString &answer) override
    {
        asked << prompt + '|' + title + '|' + answer;
        return extension;
    }
    QString ChooseFolder(const QString &prompt) override
    {
        asked << prompt;
        return folder;
    }
    void SetBusy(bool on) override { busy << on; }
    bool ScanShouldStop() const override { return stop; }
    void Yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
};

} // namespace

class TestFolderScan : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void treeInLevelOrder_data();
    void treeInLevelOrder();
    void hiddenAndTildeNames();
    void extensionAnswers_data();
    void extensionAnswers();
    void linksBackIntoTheTreeAreWalkedOnce();
    void unreadablePassedOver();
    void onlyNameableRegularFiles();
    void oneFolderIsOneInsertionInListingOrder();
    void twoScansAppendTwice();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void yieldsOncePerListingEntryAndQueuedFolder();
    void commandsDuringAYieldLoseNothing();
    void stopEndsTheScan();

private:
    QString Touch(const QString &relative);
    QString Folder(const QString &relative);
    QStringList Scan(const QString &start);

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingHost m_host;
    std::unique_ptr<FileList> m_list;
};

void TestFolderScan::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_host = RecordingHost();
    m_list = std::make_unique<FileList>();
}

QString TestFolderScan::Touch(const QString &relative)
{
    const QString path = m_dir->filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot make a fixture file");
    return path;
}

QString TestFolderScan::Folder(const QString &relative)
{
    const QString path = m_dir->filePath(relative);
    QDir().mkpath(path);
    return path;
}

QStringList TestFolderScan::Scan(const QString &start)
{
    m_host.folder = start;
    FolderIntake(*m_list, m_host).Run();
    return m_list->Paths();
}

void TestFolderScan::treeInLevelOrder_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("chosen without a slash") << "";
    QTest::newRow("chosen with a slash") << "/";
}

void TestFolderScan::treeInLevelOrder()
{
    QFETCH(QString, suffix);
    const QStringList files{Touch("A/a.psd"), Touch("A/B/b.psd"), Touch("A/C/c.psd"),
                            Touch("A/B/B1/b1.psd")};
    QCOMPARE(Scan(m_dir->filePath("A") + suffix), files);
    QCOMPARE(m_host.busy, (QList<bool>{true, false}));
    QCOMPARE(m_host.asked, (QStringList{"Enter file extension to load:|Quillmere|*",
                                        "Please select folder to add:"}));
}

void TestFolderScan::hiddenAndTildeNames()
{
    const QString hiddenFile = Touch("A/.h.psd");
    Touch("A/.hid/in-hidden.psd");
    Touch("A/~x.psd");
    const QString inTildeFolder = Touch("A/~old/y.psd");
    QCOMPARE(Scan(m_dir->filePath("A")), (QStringList{hiddenFile, inTildeFolder}));

    m_list = std::make_unique<FileList>();
    QCOMPARE(Scan(m_dir->filePath("A/.hid")), QStringList{m_dir->filePath("A/.hid/in-hidden.psd")});
}

void TestFolderScan::extensionAnswers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("psd, either case") << "psd" << QStringList{"a..psd", "X.PSD", "x.psd"};
    QTest::newRow("leading dot kept") << ".psd" << QStringList{"a..psd"};
    QTest::newRow("default takes every file")
        << "*" << QStringList{"a..psd", "file.psd.bak", "noext", "X.PSD", "x.psd", "y.psb"};
    QTest::newRow("question mark") << "PS?" << QStringList{"a..psd", "X.PSD", "x.psd", "y.psb"};
}

void TestFolderScan::extensionAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, names);
    for (const char *name : {"x.psd", "X.PSD", "noext", "a..psd", "y.psb", "file.psd.bak"})
        Touch(QStringLiteral("A/") + name);
    Folder("A/sub.psd");
    m_host.extension = answer;
    QStringList expected;
    for (const QString &name : names)
        expected << m_dir->filePath("A/" + name);
    QCOMPARE(Scan(m_dir->filePath("A")), expected);
}

void TestFolderScan::linksBackIntoTheTreeAreWalkedOnce()
{
    const QString b = Touch("A/B/b.psd");
    const QString c = Touch("A/C/c.psd");
    QVERIFY(QFile::link(m_dir->filePath("A"), m_dir->filePath("A/B/up")));
    QVERIFY(QFile::link(m_dir->filePath("A/B"), m_dir->filePath("A/C/toB")));
    QCOMPARE(Scan(m_dir->filePath("A")), (QStringList{b, c}));
}

void TestFolderScan::unreadablePassedOver()
{
    Touch("A/gone/g.psd");
    const QString kept = Touch("A/kept/k.psd");
    QVERIFY(QFile::link(m_dir->filePath("A/nowhere"), m_dir->filePath("A/kept/dangling.psd")));
    QVERIFY(QFile::link(m_dir->filePath("A/kept/self"), m_dir->filePath("A/kept/self")));
    // Yields 1 to 3 list A; the 4th queues "gone", which then vanishes before it is listed.
    m_host.onYield = [&] {
        if (m_host.yields == 4)
            QDir(m_dir->filePath("A/gone")).removeRecursively();
    };
    QStringList expected{kept};
    if (::geteuid() != 0) {
        // Root reads folders whatever their mode, so only other users see this case.
        Touch("A/kept/locked/l.psd");
        QVERIFY(::chmod(QFile::encodeName(m_dir->filePath("A/kept/locked")).constData(), 0) == 0);
    }
    QCOMPARE(Scan(m_dir->filePath("A")), expected);
}

void TestFolderScan::onlyNameableRegularFiles()
{
    const QString plain = Touch("A/plain.psd");
    QVERIFY(::mkfifo(QFile::encodeName(m_dir->filePath("A/pipe.psd")).constData(), 0600) == 0);
    QVERIFY(QFile::link(m_dir->filePath("A/pipe.psd"), m_dir->filePath("A/pipe-link.psd")));
    QVERIFY(QFile::link(plain, m_dir->filePath("A/link.psd")));
    const QByteArray unnameable = QFile::encodeName(m_dir->filePath("A/")) + "\xff\xfe.psd";
    const int fd = ::open(unnameable.constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(fd >= 0);
    ::close(fd);
    const QStringList appended = Scan(m_dir->filePath("A"));
    ::unlink(unnameable.constData()); // the temporary folder's clean-up cannot name it
    QCOMPARE(appended, (QStringList{m_dir->filePath("A/link.psd"), plain}));
}

void TestFolderScan::oneFolderIsOneInsertionInListingOrder()
{
    QStringList expected;
    for (int i = 0; i < 250; ++i)
        expected << m_dir->filePath(
            QStringLiteral("A/%1%2.psd").arg(i % 2 ? "n" : "N").arg(i, 3, 10, QChar('0')));
    for (int i = 249; i >= 0; --i)
        Touch(expected.at(i).mid(m_dir->path().size() + 1));
    QSignalSpy inserted(m_list.get(), &QAbstractItemModel::rowsInserted);
    QCOMPARE(Scan(m_dir->filePath("A")), expected);
    QCOMPARE(inserted.count(), 1);
}

void TestFolderScan::twoScansAppendTwice()
{
    const QStringList files{Touch("A/a.psd"), Touch("A/B/b.psd")};
    Scan(m_dir->filePath("A"));
    QCOMPARE(Scan(m_dir->filePath("A")), files + files);
}

void TestFolderScan::cancelChangesNothing_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("chooses");
    QTest::addColumn<int>("prompts");
    QTest::newRow("extension cancelled") << "" << true << 1;
    QTest::newRow("folder cancelled") << "psd" << false << 2;
}

void TestFolderScan::cancelChangesNothing()
{
    QFETCH(QString, extension);
    QFETCH(bool, chooses);
    QFETCH(int, prompts);
    Touch("A/a.psd");
    m_list->AppendPath("/before.psd");
    m_host.extension = extension;
    QCOMPARE(Scan(chooses ? m_dir->filePath("A") : QString()), QStringList{"/before.psd"});
    QCOMPARE(m_host.asked.size(), prompts);
    QVERIFY(m_host.busy.isEmpty());
}

void TestFolderScan::yieldsOncePerListingEntryAndQueuedFolder()
{
    Touch("A/a.psd");
    Touch("A/.hidden.psd");
    Touch("A/B/b.psd");
    Folder("A/C");
    Scan(m_dir->filePath("A"));
    // Listings of A, B and C; entries a.psd, B, C and b.psd; queued B and C.
    QCOMPARE(m_host.yields, 3 + 4 + 2);
}

void TestFolderScan::commandsDuringAYieldLoseNothing()
{
    const QString a = Touch("A/a.psd");
    const QString b = Touch("A/B/b.psd");
    const QString other = Touch("Other/o.psd");
    m_list->AppendPaths({"/removed.psd", "/stays.psd"});
    DropIntake drops(*m_list);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile("/dropped.psd")});
    FolderIntake intake(*m_list, m_host);
    m_host.onYield = [&] {
        if (m_host.yields != 1)
            return;
        m_list->RemoveAt(1);
        drops.Drop(&dropped);
        m_host.folder = m_dir->filePath("Other");
        intake.Run();
    };
    m_host.folder = m_dir->filePath("A");
    intake.Run();
    QCOMPARE(m_list->Paths(), (QStringList{"/stays.psd", "/dropped.psd", other, a, b}));
    // The nested scan's end leaves the pointer busy for the outer one.
    QCOMPARE(m_host.busy, (QList<bool>{true, false}));
}

void TestFolderScan::stopEndsTheScan()
{
    Touch("A/a.psd");
    Touch("A/B/b.psd");
    m_host.onYield = [&] { m_host.stop = m_host.yields == 2; };
    QVERIFY(Scan(m_dir->filePath("A")).isEmpty());
    QCOMPARE(m_host.yields, 2);
    QCOMPARE(m_host.busy, (QList<bool>{true, false}));
}

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"
