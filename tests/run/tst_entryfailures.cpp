// What a damaged file, a full disk, a strange name or a broken worker does to one entry, and
// that the entries after it go on: through the real workers and DevIL.
#include "run/closingmessage.h"
#include "support/batch.h"
#include "support/psdwriter.h"

#include <QTest>

#include <sys/stat.h>

class TestEntryFailures : public QObject
{
    Q_OBJECT

private slots:
    void eachEntryEndsCleanly_data();
    void eachEntryEndsCleanly();
    void startsAfreshAfterAFailedDecode();
    void brokenWorkerThenMoreEntries_data();
    void brokenWorkerThenMoreEntries();
};

void TestEntryFailures::eachEntryEndsCleanly_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("bytes"); // none: the source is not there
    QTest::addColumn<wire::Status>("status");

    using W = PsdWriter;
    using S = wire::Status;
    const QByteArray good = SmallPsd();
    // These crash DevIL (as do the damaged files of the run test); the sections are checked
    // before any decoder sees them.
    // DevIL checks a literal against its buffer a byte late, and black ink not at all.
    QTest::newRow("packed row overruns")
        << "a.psd"
        << W(8, 5, W::Cmyk, [](int, int, int c) { return c * 9000; })
               .SetCompression(W::Rle)
               .SetFirstPackedRow(2, QByteArray::fromHex("08000102030405060708"))
               .Bytes()
        << S::Unreadable;
    QTest::newRow("PSB, 300,000 square")
        << "a.psb" << W::ClaimsSize(W::Psb, 3, 300'000, 300'000, 8, W::Rgb, W::Raw) << S::TooLarge;
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
    // Neither the app's look at its header nor the worker may wait on a writer.
    QTest::newRow("named pipe") << "fifo.psd" << QByteArray() << S::Unreadable;
    QTest::newRow("gone folder") << "gone/x.psd" << QByteArray() << S::Unreadable;
    QTest::newRow("relative path") << "relative.psd" << QByteArray() << S::Unreadable;
    for (const QString &name : QStringList{"Holiday Photos/at the beach", "Ünïcödé 写真/Grüße ☃",
                                           "two\nlines/new\nline", "long/" + QString(251, 'x')})
        QTest::newRow(qPrintable(name.left(30))) << name + ".psd" << good << S::Ok;
}

void TestEntryFailures::eachEntryEndsCleanly()
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
    if (bytes.isEmpty())
        batch.sources << QFile::encodeName(path);
    else
        batch.Add({{source, bytes}});
    if (source == "file.psd")
        QVERIFY(!WriteFile(batch.dir, "file.jpg", "the user's own").isEmpty());
    if (source == "link.psd")
        QVERIFY(QFile::link("nowhere.jpg", target));
    if (source == "fifo.psd")
        QCOMPARE(mkfifo(QFile::encodeName(path), 0600), 0);
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
void TestEntryFailures::startsAfreshAfterAFailedDecode()
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

void TestEntryFailures::brokenWorkerThenMoreEntries_data()
{
    // What the first worker process does with its first request; every later process is the
    // real worker. "" stands for a worker program that is not there at all.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<wire::Status>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$") << wire::Status::DecoderStopped
                             << "damaged file stopped the decoder (Segmentation fault)";
    QTest::newRow("killed mid-save")
        << QByteArray("echo partial > \"$dir/.f1.jpg.quillmere-$$.jpg\"; kill -TERM $$")
        << wire::Status::ConverterStopped << "converter was stopped (Terminated)";
    QTest::newRow("too long")
        << QByteArray("echo partial > \"$dir/.f1.jpg.quillmere-$$.jpg\"; exec sleep 30")
        << wire::Status::TimedOut << "took too long";
    QTest::newRow("cannot run") << QByteArray("exit 127") << wire::Status::ConverterMissing
                                << "converter is missing or cannot start (reinstall) (exit code "
                                   "127)";
    QTest::newRow("missing") << QByteArray() << wire::Status::ConverterMissing
                             << "converter is missing or cannot start (reinstall)";
}

void TestEntryFailures::brokenWorkerThenMoreEntries()
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
        const QByteArray f2 = batch.Read("f2.jpg");
        QCOMPARE(RunToEnd(batch.run, batch.sources).entries.value(2).status,
                 wire::Status::AlreadyExists);
        QCOMPARE(batch.Read("f2.jpg"), f2);
        QCOMPARE(batch.Read("starts").count('\n'), 2);
    }
}

QTEST_GUILESS_MAIN(TestEntryFailures)
#include "tst_entryfailures.moc"
