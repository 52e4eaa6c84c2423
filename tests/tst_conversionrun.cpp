// The run as the window and the command line drive it, through the real workers and DevIL: its
// signals, damaged files, broken workers and their reasons, stops, and several workers.
#include "closingmessage.h"
#include "conversionrun.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "runtoend.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Files = QList<std::pair<QString, QByteArray>>;

// One folder, its batch and the run that converts it.
struct Batch {
    QTemporaryDir dir;
    QByteArrayList sources;
    ConversionRun run;

    Batch &Add(const Files &files)
    {
        for (const auto &[name, bytes] : files)
            sources << QFile::encodeName(WriteFile(dir, name, bytes));
        return *this;
    }
    RunReport Convert(int workers)
    {
        run.SetWorkerCount(workers);
        return RunToEnd(run, sources);
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
    void signalsFollowEachEntry_data();
    void signalsFollowEachEntry();
    void damagedFilesInTheMiddle_data();
    void damagedFilesInTheMiddle();
    void sameTargetNeverRunsTogether();
    void goneFolderAndRelativePath();
    void brokenWorkerThenMoreEntries_data();
    void brokenWorkerThenMoreEntries();
    void stopLeavesTheRestNotConverted();
    void longFailureListIsCut();
};

void TestConversionRun::signalsFollowEachEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("workers");
    QTest::newRow("none") << 0 << 1;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("four, one worker") << 4 << 1;
    QTest::newRow("five, three workers") << 5 << 3;
}

void TestConversionRun::signalsFollowEachEntry()
{
    QFETCH(int, count);
    QFETCH(int, workers);
    Batch batch;
    for (int i = 0; i < count; ++i)
        batch.Add({{QStringLiteral("pic%1.PSD").arg(i), SmallPsd(40 * (i % 2) + 8, 6)}});
    // Entries start in list order, and each finishes after it started.
    QString events;
    connect(&batch.run, &ConversionRun::EntryStarted, this,
            [&](int index) { events += index == events.size() ? QString::number(index) : "!"; });
    connect(&batch.run, &ConversionRun::EntryFinished, this, [&](int index, const EntryResult &) {
        events.replace(QString::number(index), QStringLiteral("f"));
    });
    batch.run.SetWorkerCount(workers);
    QSignalSpy finished(&batch.run, &ConversionRun::Finished);
    QVERIFY(batch.run.Start(batch.sources) && !batch.run.Start(batch.sources));
    QVERIFY(events.isEmpty() && finished.isEmpty()); // nothing from inside the call
    QVERIFY(finished.wait(60'000));

    QCOMPARE(events, QString(count, 'f'));
    QCOMPARE(ClosingMessage(finished.first().first().value<RunReport>()), QStringLiteral("Done."));
    QCOMPARE(batch.Contents().filter(QStringLiteral(".jpg")).size(), count);
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
    const RunReport report = many.Add(files).Convert(workers);
    QCOMPARE(report.FailedCount(), 3);

    const QString message = ClosingMessage(report);
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
    batch.sources << QFile::encodeName(batch.dir.filePath(QStringLiteral("gone/x.psd")))
                  << "relative.psd";
    batch.Add({{QStringLiteral("ok.psd"), SmallPsd()}});
    QSignalSpy finishedEntries(&batch.run, &ConversionRun::EntryFinished);
    const RunReport report = batch.Convert(2);

    QCOMPARE(report.entries[0].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[1].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[2].status, wire::Status::Ok);
    QVERIFY(!QFile::exists(QStringLiteral("relative.jpg")));
    QCOMPARE(finishedEntries.size(), 3);
}

void TestConversionRun::brokenWorkerThenMoreEntries_data()
{
    // What the first worker process does with its first request; every later process is the
    // real worker. "" stands for a worker program that is not there at all.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<wire::Status>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << wire::Status::DecoderStopped
                             << "damaged file stopped the decoder (Segmentation fault)";
    QTest::newRow("killed") << QByteArray("kill -KILL $$") << wire::Status::ConverterStopped
                            << "converter was stopped (Killed)";
    QTest::newRow("killed mid-save")
        << QByteArray("echo partial > \"$dir/.f1.jpg.quillmere-$$.jpg\"; kill -TERM $$")
        << wire::Status::ConverterStopped << "converter was stopped (Terminated)";
    QTest::newRow("too long") << QByteArray("exec sleep 30") << wire::Status::TimedOut
                              << "took too long";
    QTest::newRow("cannot run") << QByteArray("exit 127") << wire::Status::ConverterMissing
                                << "converter is missing or cannot start (reinstall) (exit code "
                                   "127)";
    QTest::newRow("missing") << QByteArray() << wire::Status::ConverterMissing
                             << "converter is missing or cannot start (reinstall)";
}

void TestConversionRun::brokenWorkerThenMoreEntries()
{
    QFETCH(QByteArray, script);
    QFETCH(wire::Status, status);
    QFETCH(QString, reason);
    Batch batch;
    // The first process leaves a cache in its own temporary folder and says where.
    const QString fake = WriteFile(
        batch.dir, QStringLiteral("worker.sh"),
        "#!/bin/sh\ndir=$(dirname \"$0\")\necho >> \"$dir/starts\"\n"
        "if mkdir \"$dir/once\" 2>/dev/null; then\n"
        "  echo \"$MAGICK_TEMPORARY_PATH\" > \"$dir/scratch\"\n"
        "  [ \"$TMPDIR\" = \"$MAGICK_TEMPORARY_PATH\" ] && echo x > \"$TMPDIR/magick-cache\"\n"
        "  head -c 1 >/dev/null\n  " +
            script + "\nfi\nexec \"" + QFile::encodeName(QCoreApplication::applicationDirPath()) +
            "/quillmere-worker\"\n");
    QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    batch.run.SetWorkerProgram(script.isEmpty() ? batch.dir.filePath("gone") : fake);
    batch.run.SetTimeLimitMs(2000);
    batch.Add({{"f1.psd", SmallPsd()}, {"f2.psd", SmallPsd()}, {"f3.psd", SmallPsd()}});
    const RunReport report = batch.Convert(1);

    QCOMPARE(report.entries[0].status, status);
    const auto rest = script.isEmpty() ? status : wire::Status::Ok;
    QCOMPARE(report.entries[1].status, rest);
    QCOMPARE(report.entries[2].status, rest);
    const QString message = ClosingMessage(report);
    QVERIFY2(message.section(QLatin1Char(0x0a), 3, 3).contains("f1.psd: " + reason),
             qPrintable(message));
    QCOMPARE(batch.Contents().filter(".jpg"),
             script.isEmpty() ? QStringList() : QStringList({"f2.jpg", "f3.jpg"}));
    QFile scratch(batch.dir.filePath("scratch"));
    if (!script.isEmpty()) {
        QVERIFY(scratch.open(QIODevice::ReadOnly));
        const QString folder = QString::fromLocal8Bit(scratch.readAll().trimmed());
        QVERIFY(!folder.isEmpty() && !QFileInfo::exists(folder));
        // One broken process, one fresh one, and that one serves the next run too, which
        // leaves the first run's files alone.
        const QByteArray f2 = batch.Digest("f2.jpg");
        QCOMPARE(RunToEnd(batch.run, batch.sources).entries.value(2).status,
                 wire::Status::AlreadyExists);
        QCOMPARE(batch.Digest("f2.jpg"), f2);
        QFile starts(batch.dir.filePath("starts"));
        QVERIFY(starts.open(QIODevice::ReadOnly));
        QCOMPARE(starts.readAll().count('\n'), 2);
    }
}

void TestConversionRun::stopLeavesTheRestNotConverted()
{
    Batch batch;
    for (int i = 0; i < 4; ++i)
        batch.Add({{QStringLiteral("s%1.psd").arg(i), SmallPsd()}});
    // A close request arrives while the first two entries are in hand.
    connect(&batch.run, &ConversionRun::EntryStarted, this, [&batch](int index) {
        if (index == 1)
            batch.run.Cancel();
    });
    const RunReport report = batch.Convert(2);

    QVERIFY(report.stopped && !batch.run.IsRunning());
    QVector<wire::Status> statuses;
    for (const EntryResult &entry : report.entries)
        statuses << entry.status;
    QCOMPARE(statuses,
             (QVector<wire::Status>{wire::Status::Ok, wire::Status::Ok, wire::Status::NotConverted,
                                    wire::Status::NotConverted}));
    QCOMPARE(batch.Contents().filter(QStringLiteral(".jpg")), (QStringList{"s0.jpg", "s1.jpg"}));
    QVERIFY(ClosingMessage(report).endsWith("s3.psd: not converted, the run was stopped"));
}

void TestConversionRun::longFailureListIsCut()
{
    RunReport report;
    const QString longDetail = QString(70, 'x') + "\nsecond line";
    for (int i = 0; i < 13; ++i)
        report.entries.append({"/f" + QByteArray::number(i) + ".psd", QByteArray(),
                               i < 12 ? wire::Status::TooLarge : wire::Status::Ok,
                               i == 0 ? longDetail : QString()});
    QString expected = QStringLiteral("Done.\n\n12 of 13 files could not be converted:");
    for (int i = 0; i < 10; ++i)
        expected += QStringLiteral("\n/f%1.psd: too large").arg(i);
    // The worker's word, shortened to its first line and a few words.
    expected.replace("f0.psd: too large",
                     "f0.psd: too large (" + QString(59, 'x') + QChar(0x2026) + ")");
    QCOMPARE(ClosingMessage(report), expected + QStringLiteral("\nand 2 more"));
}

QTEST_GUILESS_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
