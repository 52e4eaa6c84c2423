// The conversion run as the button drives it, through the real workers and DevIL: progress,
// pointer and closing message, damaged files, broken workers, stops, and several workers.
#include "closingmessage.h"
#include "conversionrun.h"
#include "filelist.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "recordingwindow.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Files = QList<std::pair<QString, QByteArray>>;

// One folder, its list and a window that records what the run asks of it.
struct Batch {
    QTemporaryDir dir;
    FileList list;
    RecordingWindow window;
    ConversionRun run{window, list};

    Batch &Add(const Files &files)
    {
        for (const auto &[name, bytes] : files)
            list.AppendPaths({QFile::encodeName(WriteFile(dir, name, bytes))});
        return *this;
    }
    RunReport Convert(int workers)
    {
        run.SetWorkerCount(workers);
        return run.Run();
    }
    // Everything in the folder, hidden files included.
    QStringList Contents() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray Digest(const QString &name) const { return FileDigest(dir.filePath(name)); }
};

class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void progressBeforeEachEntry_data();
    void progressBeforeEachEntry();
    void emptyListLeavesPointerAndBar();
    void damagedFilesInTheMiddle_data();
    void damagedFilesInTheMiddle();
    void secondRunLeavesFirstOutputs();
    void sameTargetNeverRunsTogether();
    void goneFolderAndRelativePath();
    void brokenWorkerFailsItsEntry_data();
    void brokenWorkerFailsItsEntry();
    void stopEndsAfterEntriesInHand();
    void longFailureListIsCut();
};

void TestConversionRun::progressBeforeEachEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("workers");
    QTest::addColumn<QVector<float>>("expected");
    const QVector<float> four{25.0f, 50.0f, 75.0f, 100.0f, 0.0f};
    QTest::newRow("one") << 1 << 1 << QVector<float>{100.0f, 0.0f};
    QTest::newRow("three, not rounded")
        << 3 << 2 << QVector<float>{float(100.0 / 3), float(200.0 / 3), 100.0f, 0.0f};
    QTest::newRow("four, one worker") << 4 << 1 << four;
    QTest::newRow("four, three workers") << 4 << 3 << four;
}

void TestConversionRun::progressBeforeEachEntry()
{
    QFETCH(int, count);
    QFETCH(int, workers);
    QFETCH(QVector<float>, expected);
    Batch batch;
    for (int i = 0; i < count; ++i)
        batch.Add({{QStringLiteral("pic%1.PSD").arg(i), SmallPsd(40 * (i % 2) + 8, 6)}});
    const QByteArrayList before = batch.list.Paths();

    QCOMPARE(batch.Convert(workers).FailedCount(), 0);
    QCOMPARE(batch.window.progress, expected);
    QCOMPARE(batch.window.messages, QStringList{QStringLiteral("Done.")});
    QCOMPARE(batch.window.pointers.first(), PointerShape::Busy);
    QCOMPARE(batch.window.pointerAtMessage.value(0), PointerShape::Default);
    QCOMPARE(batch.list.Paths(), before);
    QCOMPARE(batch.Contents().filter(QStringLiteral(".jpg")).size(), count);
}

void TestConversionRun::emptyListLeavesPointerAndBar()
{
    Batch batch;
    batch.Convert(1);
    QCOMPARE(batch.window.messages, QStringList{QStringLiteral("No files added.")});
    QVERIFY(batch.window.pointers.isEmpty() && batch.window.progress.isEmpty());
}

void TestConversionRun::damagedFilesInTheMiddle_data()
{
    QTest::addColumn<int>("workers");
    QTest::newRow("two workers") << 2;
    QTest::newRow("eight workers") << 8;
}

void TestConversionRun::damagedFilesInTheMiddle()
{
    QFETCH(int, workers);
    const Files files = {{QStringLiteral("first.psd"), SmallPsd(300, 200)},
                         {QStringLiteral("rowcounts.psd"), PsdWriter::TruncatedInRowCounts()},
                         {QStringLiteral("resource.psd"), PsdWriter::ResourceNameLengthFF()},
                         {QStringLiteral("huge.psd"), PsdWriter::ClaimsHugeSize(false)},
                         {QStringLiteral("last.psd"), SmallPsd(20, 30)}};
    Batch one;
    one.Add(files).Convert(1);
    Batch many;
    QCOMPARE(many.Add(files).Convert(workers).FailedCount(), 3);

    const QString message = many.window.messages.value(0);
    QVERIFY(message.startsWith(QLatin1String("Done.\n\n3 of 5 files could not be converted:")));
    for (const char *named : {"rowcounts.psd", "resource.psd", "huge.psd: too large"})
        QVERIFY2(message.contains(many.dir.filePath(QLatin1String(named))), named);
    // Nothing at the damaged files' targets, no temporary file, and the very same JPEG files
    // as one worker makes.
    QCOMPARE(many.Contents(), (QStringList{"first.jpg", "first.psd", "huge.psd", "last.jpg",
                                           "last.psd", "resource.psd", "rowcounts.psd"}));
    for (const char *name : {"first.jpg", "last.jpg"})
        QCOMPARE(many.Digest(QLatin1String(name)), one.Digest(QLatin1String(name)));
}

void TestConversionRun::secondRunLeavesFirstOutputs()
{
    Batch batch;
    batch.Add({{QStringLiteral("a.psd"), SmallPsd()}, {QStringLiteral("b.psd"), SmallPsd()}});
    batch.Convert(2);
    const QByteArray a = batch.Digest(QStringLiteral("a.jpg"));
    QVERIFY(!a.isEmpty());

    QCOMPARE(batch.Convert(2).FailedCount(), 2);
    QCOMPARE(batch.Digest(QStringLiteral("a.jpg")), a);
    QVERIFY(batch.window.messages.value(1).contains(QLatin1String("b.psd: already exists")));
    QCOMPARE(batch.Contents().size(), 4);
}

void TestConversionRun::sameTargetNeverRunsTogether()
{
    Batch alone;
    alone.Add({{QStringLiteral("x.psd"), SmallPsd(400, 300)}}).Convert(1);
    PsdWriter psb(400, 300, PsdWriter::Rgb, [](int, int, int c) { return quint16(c * 30000); });
    psb.SetLargeFormat(true);
    Batch batch;
    const RunReport report = batch
                                 .Add({{QStringLiteral("x.psd"), SmallPsd(400, 300)},
                                       {QStringLiteral("x.psb"), psb.Bytes()},
                                       {QStringLiteral("y.psd"), SmallPsd()}})
                                 .Convert(3);

    QCOMPARE(report.entries[1].status, wire::Status::AlreadyExists);
    QCOMPARE(report.FailedCount(), 1);
    // The JPEG is the first entry's, whole.
    QCOMPARE(batch.Digest(QStringLiteral("x.jpg")), alone.Digest(QStringLiteral("x.jpg")));
}

void TestConversionRun::goneFolderAndRelativePath()
{
    Batch batch;
    batch.list.AppendPaths({QFile::encodeName(batch.dir.filePath("gone/x.psd"))});
    batch.list.AppendPaths({QByteArray("relative.psd")});
    batch.Add({{QStringLiteral("ok.psd"), SmallPsd()}});
    const RunReport report = batch.Convert(2);

    QCOMPARE(report.entries[0].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[1].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[2].status, wire::Status::Ok);
    QVERIFY(!QFile::exists(QStringLiteral("relative.jpg")));
    QCOMPARE(batch.window.progress.size(), 4);
}

void TestConversionRun::brokenWorkerFailsItsEntry_data()
{
    // Stand-ins for a worker that a decoder brings down; the second dies with its temporary
    // JPEG half written, as one killed mid-save would.
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$");
    QTest::newRow("dies mid-save") << QByteArray("echo partial > \"$(dirname \"$0\")/.f1.jpg."
                                                 "quillmere-$$.jpg\"; kill -KILL $$");
}

void TestConversionRun::brokenWorkerFailsItsEntry()
{
    QFETCH(QByteArray, script);
    Batch batch;
    const QString fake = WriteFile(batch.dir, QStringLiteral("worker.sh"),
                                   "#!/bin/sh\nhead -c 1 >/dev/null\n" + script);
    QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    batch.run.SetWorkerCount(1);
    batch.run.SetWorkerProgram(fake);

    QCOMPARE(batch.Add({{QStringLiteral("f1.psd"), SmallPsd()}}).Convert(1).entries[0].status,
             wire::Status::DecoderStopped);
    QVERIFY(
        batch.window.messages.value(0).endsWith(QLatin1String("damaged file stopped the decoder")));
    QCOMPARE(batch.Contents(), (QStringList{"f1.psd", "worker.sh"}));
}

void TestConversionRun::stopEndsAfterEntriesInHand()
{
    Batch batch;
    for (int i = 0; i < 4; ++i)
        batch.Add({{QStringLiteral("s%1.psd").arg(i), SmallPsd()}});
    // A close request arrives while the first two entries are in hand.
    QTimer::singleShot(0, &batch.run, [&batch] { batch.run.RequestStop(); });

    QVERIFY(batch.Convert(2).stopped);
    QVERIFY(batch.window.messages.isEmpty());
    QCOMPARE(batch.window.progress, (QVector<float>{25.0f, 50.0f, 0.0f}));
    QCOMPARE(batch.Contents().filter(QStringLiteral(".jpg")), (QStringList{"s0.jpg", "s1.jpg"}));
}

void TestConversionRun::longFailureListIsCut()
{
    RunReport report;
    for (int i = 0; i < 13; ++i)
        report.entries.append({QStringLiteral("/f%1.psd").arg(i), QString(),
                               i < 12 ? wire::Status::TooLarge : wire::Status::Ok, QString()});
    QString expected = QStringLiteral("Done.\n\n12 of 13 files could not be converted:");
    for (int i = 0; i < 10; ++i)
        expected += QStringLiteral("\n/f%1.psd: too large").arg(i);
    QCOMPARE(ClosingMessage(report), expected + QStringLiteral("\nand 2 more"));
}

QTEST_GUILESS_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
