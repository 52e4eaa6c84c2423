// The run as the window and the command line drive it, through the real workers and DevIL: its
// signals, several workers, shared targets, stops, a caller that never waits, and the closing
// message.
#include "run/closingmessage.h"
#include "support/batch.h"
#include "support/psdwriter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace
{

// The processes whose parent is this one, zombies included.
QStringList Children()
{
    QStringList children;
    const QByteArray self = QByteArray::number(getpid());
    for (const QString &pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        // "pid (name) state ppid ...", where the name may hold spaces and parentheses.
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        if (line.mid(line.lastIndexOf(')') + 2).split(' ').value(1) == self)
            children << pid;
    }
    return children;
}

} // namespace

class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void workersAgreeWithOne_data();
    void workersAgreeWithOne();
    void sameTargetNeverRunsTogether();
    void stopLeavesTheRestNotConverted();
    void folderGoneBeforeItsTurnIsSeen();
    void slowStartKeepsTheLoopTurning();
    void destroyedRunLeavesNoProcess();
    void longFailureListIsCut();
};

void TestConversionRun::workersAgreeWithOne_data()
{
    QTest::addColumn<int>("workers");
    QTest::newRow("one worker") << 1;
    QTest::newRow("three workers") << 3;
    QTest::newRow("eight workers") << 8;
}

// Damaged files in the middle of a batch, with as many workers as entries or fewer.
void TestConversionRun::workersAgreeWithOne()
{
    QFETCH(int, workers);
    const Files files = {{"first.psd", SmallPsd(300, 200)},
                         {"rowcounts.psd", PsdWriter::TruncatedInRowCounts()},
                         {"resource.psd", PsdWriter::ResourceNameLengthFF()},
                         {"huge.psd", PsdWriter::ClaimsSize(PsdWriter::Psd, 3, 300'000, 300'000, 8,
                                                            PsdWriter::Rgb, PsdWriter::Raw)},
                         {"wide.PSD", SmallPsd(48, 6)},
                         {"last.psd", SmallPsd(20, 30)}};
    Batch one;
    one.Add(files).Convert(1);
    Batch many;
    // First, while nothing is in hand: one with no folder for its JPEG, and one with no folder.
    many.sources << QFile::encodeName(many.dir.filePath("gone/x.psd")) << "relative.psd";
    many.Add(files).run.SetWorkerCount(workers);
    // Entries start in list order, and each finishes after it started.
    QString events;
    connect(&many.run, &ConversionRun::EntryStarted, this,
            [&](int index) { events += index == events.size() ? QString::number(index) : "!"; });
    connect(&many.run, &ConversionRun::EntryFinished, this, [&](int index, const EntryResult &) {
        events.replace(QString::number(index), QStringLiteral("f"));
    });
    QSignalSpy finished(&many.run, &ConversionRun::Finished);
    QVERIFY(many.run.Start(many.sources) && !many.run.Start(many.sources));
    QVERIFY(events.isEmpty() && finished.isEmpty()); // nothing from inside the call
    QVERIFY(finished.wait(60'000));
    QCOMPARE(events, QString(many.sources.size(), 'f'));

    const auto report = finished.first().first().value<RunReport>();
    const QString message = ClosingMessage(report);
    QVERIFY(!report.stopped);
    QVERIFY(message.startsWith(QLatin1String("Done.\n\n5 of 8 files could not be converted:")));
    for (const char *named : {"gone/x.psd: could not be read or decoded (its folder is gone)",
                              "rowcounts.psd", "resource.psd", "huge.psd: too large"})
        QVERIFY2(message.contains(many.dir.filePath(QLatin1String(named))), named);
    // Nothing at the damaged files' targets, no temporary file, and the very same JPEG files
    // as one worker makes.
    QCOMPARE(many.Contents(),
             (QStringList{"first.jpg", "first.psd", "huge.psd", "last.jpg", "last.psd",
                          "resource.psd", "rowcounts.psd", "wide.PSD", "wide.jpg"}));
    for (const char *name : {"first.jpg", "last.jpg", "wide.jpg"})
        QCOMPARE(many.Read(QLatin1String(name)), one.Read(QLatin1String(name)));
    // And a batch of none ends too.
    QVERIFY(many.run.Start({}) && finished.wait(5000));
    QVERIFY(finished.last().first().value<RunReport>().entries.isEmpty());
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
    QCOMPARE(batch.Read(QStringLiteral("x.jpg")), alone.Read(QStringLiteral("x.jpg")));
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
    // A stop before the first entry's turn hands out none.
    QSignalSpy finished(&batch.run, &ConversionRun::Finished);
    QVERIFY(batch.run.Start(batch.sources));
    batch.run.Cancel();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().first().value<RunReport>().CountOf(wire::Status::NotConverted), 4);
}

// Targets are found as an entry's turn comes near, not all when the run starts.
void TestConversionRun::folderGoneBeforeItsTurnIsSeen()
{
    Batch batch;
    for (int i = 0; i < 6; ++i)
        batch.Add({{QStringLiteral("s%1.psd").arg(i), SmallPsd()}});
    batch.Add({{QStringLiteral("later/x.psd"), SmallPsd()}});
    connect(&batch.run, &ConversionRun::EntryStarted, this, [&batch](int index) {
        if (index == 0)
            QDir(batch.dir.filePath("later")).removeRecursively();
    });
    const RunReport report = batch.Convert(1);

    QCOMPARE(report.FailedCount(), 1);
    QCOMPARE(report.entries.last().detail, QStringLiteral("its folder is gone"));
}

// Each worker sleeps before it reads its first request, while the caller's timer goes on.
void TestConversionRun::slowStartKeepsTheLoopTurning()
{
    Batch batch;
    batch.run.SetWorkerProgram(WorkerScript(batch.dir, "sleep 1"));
    for (int i = 0; i < 3; ++i)
        batch.Add({{QStringLiteral("s%1.psd").arg(i), SmallPsd()}});
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        ++ticks;
    });
    timer.start(10);
    sinceTick.start();
    const RunReport report = batch.Convert(2);

    QCOMPARE(report.FailedCount(), 0);
    QVERIFY2(ticks >= 50 && longestGap < 250, qPrintable(QString::number(longestGap)));
}

// One worker stuck on its entry, one idle: both go, and so do their scratch folders.
void TestConversionRun::destroyedRunLeavesNoProcess()
{
    QTemporaryDir dir;
    auto run = std::make_unique<ConversionRun>();
    run->SetWorkerCount(2);
    run->SetWorkerProgram(WorkerScript(dir, "dir=$(dirname \"$0\")\n"
                                            "echo \"$TMPDIR\" >> \"$dir/scratch\"\n"
                                            "mkdir \"$dir/once\" 2>/dev/null && exec sleep 30"));
    const QByteArrayList sources = {QFile::encodeName(WriteFile(dir, "a.psd", SmallPsd())),
                                    QFile::encodeName(WriteFile(dir, "b.psd", SmallPsd()))};
    QSignalSpy finished(run.get(), &ConversionRun::EntryFinished);
    QVERIFY(run->Start(sources));
    QVERIFY(finished.wait(20'000));
    QTRY_COMPARE(Children().size(), 2);

    QElapsedTimer destroying;
    destroying.start();
    run.reset();
    QVERIFY(destroying.elapsed() < 100);
    QTRY_COMPARE(Children(), QStringList());
    QFile scratch(dir.filePath("scratch"));
    QVERIFY(scratch.open(QIODevice::ReadOnly));
    const QList<QByteArray> folders = scratch.readAll().trimmed().split('\n');
    QCOMPARE(folders.size(), 2);
    for (const QByteArray &folder : folders)
        QVERIFY(!folder.isEmpty() && !QFileInfo::exists(QString::fromLocal8Bit(folder)));
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
