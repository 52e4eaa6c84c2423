// The conversion run as the button drives it: progress, pointer, closing message, and batches
// with damaged files, converted by the real worker and DevIL.
#include "closingmessage.h"
#include "conversionrun.h"
#include "filelist.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "recordingwindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// Everything in the folder, hidden files included: sources and what a run left behind.
QStringList Outputs(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void progressBeforeEachEntry_data();
    void progressBeforeEachEntry();
    void buttonRunsOncePerPress();
    void damagedFilesInTheMiddle();
    void secondRunLeavesFirstOutputs();
    void goneFolderAndRelativePath();
    void brokenWorkerFailsItsEntry_data();
    void brokenWorkerFailsItsEntry();
    void stopEndsAfterEntryInHand();
    void closingMessage_data();
    void closingMessage();
    void corpusConvertsOrFailsWithReason();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FileList> m_list;
    std::unique_ptr<RecordingWindow> m_window;
};

void TestConversionRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_list = std::make_unique<FileList>();
    m_window = std::make_unique<RecordingWindow>();
}

void TestConversionRun::progressBeforeEachEntry_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<float>>("expected");
    QTest::newRow("one") << 1 << QVector<float>{100.0f, 0.0f};
    QTest::newRow("three, not rounded")
        << 3 << QVector<float>{float(100.0 / 3), float(200.0 / 3), 100.0f, 0.0f};
    QTest::newRow("four") << 4 << QVector<float>{25.0f, 50.0f, 75.0f, 100.0f, 0.0f};
}

void TestConversionRun::progressBeforeEachEntry()
{
    QFETCH(int, count);
    QFETCH(QVector<float>, expected);
    for (int i = 0; i < count; ++i)
        m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("pic%1.PSD").arg(i), SmallPsd()));
    const QStringList before = m_list->Paths();

    ConversionRun run(*m_window, *m_list);
    const RunReport report = run.Run();

    QCOMPARE(m_window->progress, expected);
    QCOMPARE(m_window->messages, QStringList{QStringLiteral("Done.")});
    QCOMPARE(m_window->pointerAtMessage.value(0), PointerShape::Default);
    QCOMPARE(m_window->pointers.first(), PointerShape::Busy);
    QCOMPARE(m_list->Paths(), before);
    QCOMPARE(report.FailedCount(), 0);
    for (int i = 0; i < count; ++i)
        QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("pic%1.jpg").arg(i))));
}

void TestConversionRun::buttonRunsOncePerPress()
{
    ConversionRun run(*m_window, *m_list);
    int notifications = 0;
    m_window->onButtonChanged = [&] {
        ++notifications;
        run.OnConvertClicked();
    };
    m_window->SetConvertButtonState(1); // the user's click, and its notification
    QCOMPARE(notifications, 2);         // the click and the nested one from springing back
    QCOMPARE(m_window->ConvertButtonState(), 0);
    QCOMPARE(m_window->messages, QStringList{QStringLiteral("No files added.")});
    QVERIFY(m_window->pointers.isEmpty()); // an empty list leaves pointer and bar alone
    QVERIFY(m_window->progress.isEmpty());

    run.OnConvertClicked(); // a notification that finds the button up does nothing
    QCOMPARE(m_window->messages.size(), 1);
}

void TestConversionRun::damagedFilesInTheMiddle()
{
    const QList<std::pair<QString, QByteArray>> files = {
        {QStringLiteral("first.psd"), SmallPsd()},
        {QStringLiteral("rowcounts.psd"), PsdWriter::TruncatedInRowCounts()},
        {QStringLiteral("resource.psd"), PsdWriter::ResourceNameLengthFF()},
        {QStringLiteral("huge.psd"), PsdWriter::ClaimsHugeSize(false)},
        {QStringLiteral("last.psd"), SmallPsd()},
    };
    for (const auto &[name, bytes] : files)
        m_list->AppendPath(WriteFile(*m_dir, name, bytes));

    ConversionRun run(*m_window, *m_list);
    const RunReport report = run.Run();

    QCOMPARE(report.FailedCount(), 3);
    const QString message = m_window->messages.value(0);
    QVERIFY(message.startsWith(QLatin1String("Done.\n\n3 of 5 files could not be converted:")));
    for (const char *named : {"rowcounts.psd", "resource.psd", "huge.psd: too large"})
        QVERIFY2(message.contains(m_dir->filePath(QLatin1String(named))), named);
    // Nothing stands at the damaged files' targets, and no temporary file is left.
    QCOMPARE(Outputs(*m_dir), (QStringList{"first.jpg", "first.psd", "huge.psd", "last.jpg",
                                           "last.psd", "resource.psd", "rowcounts.psd"}));
}

void TestConversionRun::secondRunLeavesFirstOutputs()
{
    m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("a.psd"), SmallPsd()));
    m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("b.psd"), SmallPsd()));
    ConversionRun run(*m_window, *m_list);
    run.Run();
    const QByteArray a = FileDigest(m_dir->filePath(QStringLiteral("a.jpg")));
    QVERIFY(!a.isEmpty());

    const RunReport second = run.Run();
    QCOMPARE(FileDigest(m_dir->filePath(QStringLiteral("a.jpg"))), a);
    QCOMPARE(second.FailedCount(), 2);
    QVERIFY(m_window->messages.value(1).contains(QLatin1String("b.psd: already exists")));
    QCOMPARE(Outputs(*m_dir).size(), 4);
}

void TestConversionRun::goneFolderAndRelativePath()
{
    m_list->AppendPath(m_dir->filePath(QStringLiteral("gone/x.psd")));
    m_list->AppendPath(QStringLiteral("relative.psd"));
    m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("ok.psd"), SmallPsd()));
    ConversionRun run(*m_window, *m_list);
    const RunReport report = run.Run();

    QCOMPARE(report.entries[0].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[1].status, wire::Status::Unreadable);
    QCOMPARE(report.entries[2].status, wire::Status::Ok);
    QVERIFY(!QFile::exists(QStringLiteral("relative.jpg")));
    QCOMPARE(m_window->progress.size(), 4);
}

void TestConversionRun::brokenWorkerFailsItsEntry_data()
{
    // Stand-ins for a worker that DevIL brings down; the second dies with its temporary JPEG
    // half written, as one killed mid-save would.
    QTest::addColumn<QByteArray>("script");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$");
    QTest::newRow("dies mid-save") << QByteArray("echo partial > \"$(dirname \"$0\")/.f1.jpg."
                                                 "quillmere-$$.jpg\"; kill -KILL $$");
}

void TestConversionRun::brokenWorkerFailsItsEntry()
{
    QFETCH(QByteArray, script);
    const QString fake = WriteFile(*m_dir, QStringLiteral("worker.sh"),
                                   "#!/bin/sh\nhead -c 1 >/dev/null\n" + script);
    QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("f1.psd"), SmallPsd()));

    ConversionRun run(*m_window, *m_list);
    run.SetWorkerProgram(fake);
    QCOMPARE(run.Run().entries.value(0).status, wire::Status::DecoderStopped);
    QVERIFY(
        m_window->messages.value(0).endsWith(QLatin1String("damaged file stopped the decoder")));
    QCOMPARE(Outputs(*m_dir), (QStringList{"f1.psd", "worker.sh"}));
}

void TestConversionRun::stopEndsAfterEntryInHand()
{
    for (int i = 0; i < 4; ++i)
        m_list->AppendPath(WriteFile(*m_dir, QStringLiteral("s%1.psd").arg(i), SmallPsd()));
    ConversionRun run(*m_window, *m_list);
    run.SetWorkerCount(2);
    // A close request arrives while the first two entries are in hand.
    QTimer::singleShot(0, &run, [&run] { run.RequestStop(); });
    const RunReport report = run.Run();

    QVERIFY(report.stopped);
    QVERIFY(m_window->messages.isEmpty());
    QCOMPARE(m_window->progress, (QVector<float>{25.0f, 50.0f, 0.0f}));
    QCOMPARE(Outputs(*m_dir).filter(QStringLiteral(".jpg")), (QStringList{"s0.jpg", "s1.jpg"}));
}

void TestConversionRun::closingMessage_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("successes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("all converted") << 0 << 3 << QStringLiteral("Done.");
    const QString two = QStringLiteral("Done.\n\n2 of 3 files could not be converted:\n"
                                       "/f0.psd: too large\n/f1.psd: too large");
    QTest::newRow("two failed") << 2 << 1 << two;
    QString twelve = QStringLiteral("Done.\n\n12 of 12 files could not be converted:");
    for (int i = 0; i < 10; ++i)
        twelve += QStringLiteral("\n/f%1.psd: too large").arg(i);
    QTest::newRow("long list") << 12 << 0 << twelve + QStringLiteral("\nand 2 more");
}

void TestConversionRun::closingMessage()
{
    QFETCH(int, failures);
    QFETCH(int, successes);
    QFETCH(QString, expected);
    RunReport report;
    for (int i = 0; i < failures + successes; ++i) {
        EntryResult entry;
        entry.source = QStringLiteral("/f%1.psd").arg(i);
        entry.status = i < failures ? wire::Status::TooLarge : wire::Status::Ok;
        report.entries.append(entry);
    }
    QCOMPARE(ClosingMessage(report), expected);
}

void TestConversionRun::corpusConvertsOrFailsWithReason()
{
    const QDir corpus(QStringLiteral(QUILLMERE_CORPUS_DIR));
    const QStringList names =
        corpus.entryList({QStringLiteral("*.psd"), QStringLiteral("*.psb")}, QDir::Files);
    if (names.isEmpty())
        QSKIP("no corpus beside this checkout");
    // Copies, so the targets land in our folder; one subfolder per file keeps X.psd and X.psb
    // apart.
    for (const QString &name : names) {
        QDir(m_dir->path()).mkdir(name);
        const QString copy = m_dir->filePath(name + QLatin1Char('/') + name);
        QVERIFY(QFile::copy(corpus.filePath(name), copy));
        m_list->AppendPath(copy);
    }
    ConversionRun run(*m_window, *m_list);
    const RunReport report = run.Run();

    QCOMPARE(report.entries.size(), names.size());
    int converted = 0;
    for (const EntryResult &entry : report.entries) {
        const bool written = QFile::exists(entry.target);
        QCOMPARE(written, entry.status == wire::Status::Ok);
        converted += written ? 1 : 0;
    }
    qInfo("corpus: %d of %d converted", converted, int(names.size()));
    QVERIFY(converted > 0);
    QVERIFY(m_window->messages.value(0).startsWith(QLatin1String("Done.")));
}

QTEST_GUILESS_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
