// The run as the window and the command line drive it, through the real workers and DevIL: its
// signals, damaged files, broken workers and their reasons, stops, and several workers.
#include "closingmessage.h"
#include "conversionrun.h"
#include "fixtures.h"
#include "psdwriter.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
    QByteArray Read(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void workersAgreeWithOne_data();
    void workersAgreeWithOne();
    void eachEntryEndsCleanly_data();
    void eachEntryEndsCleanly();
    void startsAfreshAfterAFailedDecode();
    void sameTargetNeverRunsTogether();
    void brokenWorkerThenMoreEntries_data();
    void brokenWorkerThenMoreEntries();
    void stopLeavesTheRestNotConverted();
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
                         {"huge.psd", PsdWriter::ClaimsHugeSize(false)},
                         {"wide.PSD", SmallPsd(48, 6)},
                         {"last.psd", SmallPsd(20, 30)}};
    Batch one;
    one.Add(files).Convert(1);
    Batch many;
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
    QCOMPARE(events, QString(files.size(), 'f'));

    const QString message = ClosingMessage(finished.first().first().value<RunReport>());
    QVERIFY(message.startsWith(QLatin1String("Done.\n\n3 of 6 files could not be converted:")));
    for (const char *named : {"rowcounts.psd", "resource.psd", "huge.psd: too large"})
        QVERIFY2(message.contains(many.dir.filePath(QLatin1String(named))), named);
    // Nothing at the damaged files' targets, no temporary file, and the very same JPEG files
    // as one worker makes.
    QCOMPARE(many.Contents(),
             (QStringList{"first.jpg", "first.psd", "huge.psd", "last.jpg", "last.psd",
                          "resource.psd", "rowcounts.psd", "wide.PSD", "wide.jpg"}));
    for (const char *name : {"first.jpg", "last.jpg", "wide.jpg"})
        QCOMPARE(many.Digest(QLatin1String(name)), one.Digest(QLatin1String(name)));
}

void TestConversionRun::eachEntryEndsCleanly_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("bytes"); // none: the source is not there
    QTest::addColumn<wire::Status>("status");

    using W = PsdWriter;
    using S = wire::Status;
    const QByteArray good = SmallPsd();
    // These crash DevIL; the sections are checked before any decoder sees them.
    QTest::newRow("in row counts") << "a.psd" << W::TruncatedInRowCounts() << S::Unreadable;
    QTest::newRow("resource name length 0xFF")
        << "a.psd" << W::ResourceNameLengthFF() << S::Unreadable;
    // DevIL checks a literal against its buffer a byte late, and black ink not at all.
    QTest::newRow("packed row overruns")
        << "a.psd"
        << W(8, 5, W::Cmyk, [](int, int, int c) { return c * 9000; })
               .SetCompression(W::Rle)
               .SetFirstPackedRow(2, QByteArray::fromHex("08000102030405060708"))
               .Bytes()
        << S::Unreadable;
    QTest::newRow("PSB, 300,000 square") << "a.psb" << W::ClaimsHugeSize(true) << S::TooLarge;
    // DevIL leaves an image behind after a failed load, and would save it.
    QTest::newRow("no image") << "a.psd" << QByteArray("text") << S::Unreadable;
    // libjpeg refuses images over 65,500 pixels wide, and DevIL then calls exit(1) with the
    // file half made. Only a PSB may be that wide, which DevIL does not read, so a TGA it is.
    QTest::newRow("encoder exits")
        << "a.tga"
        << QByteArray::fromHex("000002000000000000000000ddff01001800") + QByteArray(196503, '@')
        << S::DecoderStopped;
    // DevIL reports a full disk only on its error stack; a file size limit fails writes alike.
    QTest::newRow("full disk") << "full.psd" << SmallPsd(512, 512) << S::Unwritable;
    // 48 MB of pixels do not fit in 64 MB beside the program and its libraries, but the few
    // rows at a time that our own reader holds do.
    QTest::newRow("out of memory") << "big.psd" << SmallPsd(4000, 4000) << S::Ok;
    // What stands at these targets is made first, and stays as it is.
    QTest::newRow("existing file") << "file.psd" << good << S::AlreadyExists;
    QTest::newRow("dangling link") << "link.psd" << good << S::AlreadyExists;
    QTest::newRow("gone folder") << "gone/x.psd" << QByteArray() << S::Unreadable;
    QTest::newRow("relative path") << "relative.psd" << QByteArray() << S::Unreadable;
    for (const QString &name : QStringList{"Holiday Photos/at the beach", "Ünïcödé 写真/Grüße ☃",
                                           "two\nlines/new\nline", "long/" + QString(251, 'x')})
        QTest::newRow(qPrintable(name.left(30))) << name + ".psd" << good << S::Ok;
}

void TestConversionRun::eachEntryEndsCleanly()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, bytes);
    QFETCH(wire::Status, status);
    Batch batch;
    // Some names set the scene: a file or a dangling link at the target, a worker short of
    // memory or of disk.
    const QString path = source.startsWith("relative") ? source : batch.dir.filePath(source);
    const QString target = path.left(path.lastIndexOf('.')) + ".jpg";
    const QString folder = QFileInfo(target).path();
    if (!bytes.isEmpty()) {
        QVERIFY(QDir().mkpath(folder));
        batch.Add({{source, bytes}});
    } else {
        batch.sources << QFile::encodeName(path);
    }
    if (source == "file.psd")
        QVERIFY(!WriteFile(batch.dir, "file.jpg", "the user's own").isEmpty());
    if (source == "link.psd")
        QVERIFY(QFile::link("nowhere.jpg", target));
    if (source == "big.psd")
        batch.run.SetWorkerProgram(WorkerScript(batch.dir, "set -- --address-space-mb 64"));
    if (source == "full.psd") // and the signal that would end it ignored
        batch.run.SetWorkerProgram(WorkerScript(batch.dir, "trap '' XFSZ; ulimit -f 8"));
    struct stat before = {};
    lstat(QFile::encodeName(target), &before);
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    QCOMPARE(batch.Convert(1).entries.value(0).status, status);
    struct stat after = {};
    QCOMPARE(lstat(QFile::encodeName(target), &after) == 0,
             status == wire::Status::Ok || status == wire::Status::AlreadyExists);
    QVERIFY(status == wire::Status::Ok ||
            (after.st_ino == before.st_ino && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec));
    // No other file is left behind.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System).size(),
             names.size() + (status == wire::Status::Ok ? 1 : 0));
}

// A PSB, which ImageMagick reads; and RGB in two channels, which DevIL refuses only after
// taking (and leaking) a buffer for its image resources, and ImageMagick refuses too.
void TestConversionRun::startsAfreshAfterAFailedDecode()
{
    const auto ramp = [](int x, int y, int c) {
        return quint16((x * 8000 + y * 3000 + c * 20000) & 0xFFFF);
    };
    Batch batch;
    batch.run.SetWorkerProgram(WorkerScript(batch.dir, "echo $$ >> \"$(dirname \"$0\")/starts\""));
    batch.Add({{"one.psb", PsdWriter(8, 8, PsdWriter::Rgb, ramp).SetLargeFormat(true).Bytes()},
               {"two.psd", SmallPsd()},
               {"leaky.psd", PsdWriter(8, 8, PsdWriter::Rgb, ramp)
                                 .SetExtraChannels(-1)
                                 .AddResource(1000, QByteArray(2 << 20, '\0'))
                                 .Bytes()},
               {"three.psd", SmallPsd()}});
    // After each entry: whether the worker still holds the ImageMagick module.
    QString loaded;
    connect(&batch.run, &ConversionRun::EntryFinished, this, [&] {
        QFile maps("/proc/" + batch.Read("starts").trimmed() + "/maps");
        const bool magick = maps.open(QIODevice::ReadOnly) && maps.readAll().contains("magick.so");
        loaded += magick ? 'M' : '-';
    });
    QVector<wire::Status> statuses;
    for (const EntryResult &entry : batch.Convert(1).entries)
        statuses << entry.status;
    QCOMPARE(statuses, (QVector<wire::Status>{wire::Status::Ok, wire::Status::Ok,
                                              wire::Status::Unreadable, wire::Status::Ok}));
    // Clean decodes keep the process; after a failed one it starts afresh, the same process
    // (one start) without what the failed decoders loaded or left.
    QCOMPARE(loaded.left(2), "MM");
    QCOMPARE(loaded.back(), '-');
    QCOMPARE(batch.Read("starts").count('\n'), 1);
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
    const QString fake = WorkerScript(
        batch.dir,
        "dir=$(dirname \"$0\")\necho >> \"$dir/starts\"\n"
        "if mkdir \"$dir/once\" 2>/dev/null; then\n"
        "  echo \"$MAGICK_TEMPORARY_PATH\" > \"$dir/scratch\"\n"
        "  [ \"$TMPDIR\" = \"$MAGICK_TEMPORARY_PATH\" ] && echo x > \"$TMPDIR/magick-cache\"\n"
        "  head -c 1 >/dev/null\n  " +
            script + "\nfi");
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
    if (!script.isEmpty()) {
        const QString folder = QString::fromLocal8Bit(batch.Read("scratch").trimmed());
        QVERIFY(!folder.isEmpty() && !QFileInfo::exists(folder));
        // One broken process, one fresh one, and that one serves the next run too, which
        // leaves the first run's files alone.
        const QByteArray f2 = batch.Digest("f2.jpg");
        QCOMPARE(RunToEnd(batch.run, batch.sources).entries.value(2).status,
                 wire::Status::AlreadyExists);
        QCOMPARE(batch.Digest("f2.jpg"), f2);
        QCOMPARE(batch.Read("starts").count('\n'), 2);
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
