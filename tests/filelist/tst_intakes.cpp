#include "filelist/dropintake.h"
#include "filelist/filelist.h"
#include "filelist/folderintake.h"
#include "filelist/folderintakehost.h"
#include "support/fixtures.h"

#include <QtTest>

namespace
{

// A person who answers at once, and a record of the busy pointer.
struct RecordingHost : FolderIntakeHost {
    QString answer = QStringLiteral("psd"), folder;
    QList<bool> busy;

    QString AskText(const QString &, const QString &, const QString &) override { return answer; }
    QString ChooseFolder(const QString &) override { return folder; }
    void SetBusy(bool on) override { busy << on; }
};

} // namespace

class TestIntakes : public QObject
{
    Q_OBJECT

private slots:
    void listKeepsBytesAsGiven();
    void folderScansAppendAFolderAtATime();
    void dropAppendsLocalPathsInOrder_data();
    void dropAppendsLocalPathsInOrder();
};

void TestIntakes::folderScansAppendAFolderAtATime()
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    for (const QByteArray file : {"a.psd", "B/b.psd", "B/x.txt"})
        QVERIFY(MakeByBytes(root + file));
    FileList list;
    RecordingHost host;
    FolderIntake intake(list, host);
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy ended(&intake, &FolderIntake::ScansEnded);
    // A prompt cancelled, or an empty answer, asks for no scan.
    host.answer = "";
    host.folder = dir.path();
    intake.Run();
    host.answer = "psd";
    host.folder = "";
    intake.Run();
    intake.AddArguments({});
    QVERIFY(host.busy.isEmpty() && !intake.IsScanning());
    // Two scans in a row and the command line's: one busy pointer over all of them.
    host.folder = dir.path();
    intake.Run();
    intake.Run();
    intake.AddArguments({root + "B"});
    QVERIFY(intake.IsScanning());
    QTRY_COMPARE(ended.count(), 1);
    QVERIFY(!intake.IsScanning());
    QCOMPARE(host.busy, (QList<bool>{true, false}));
    const QByteArrayList tree{root + "a.psd", root + "B/b.psd"};
    QCOMPARE(list.Paths(), tree + tree + tree.mid(1));
    QCOMPARE(inserted.count(), 5);
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
    FileList list;
    list.AppendPaths({QByteArray("/listed.psd")});
    DropIntake intake(list);
    QMimeData data;
    // Text and an image ride along with every drop: only local file URLs count.
    data.setText("/p/t.psd");
    data.setData("image/png", "\x89PNG");
    if (!dropped.isEmpty())
        data.setData("text/uri-list", dropped.join("\r\n").toLatin1() + "\r\n");
    QCOMPARE(intake.Accepts(&data), !appended.isEmpty());
    QCOMPARE(intake.Drop(&data), !appended.isEmpty());
    QVERIFY(!intake.Accepts(nullptr) && !intake.Drop(nullptr));
    QCOMPARE(list.Paths(), QByteArrayList{"/listed.psd"} + appended);
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
