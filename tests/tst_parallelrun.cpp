// Several workers at once: the same files, the same order of progress, nothing lost to a crash
// next door, and entries that share a target never racing for it.
#include "conversionrun.h"
#include "filelist.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "recordingwindow.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

struct Batch {
    QTemporaryDir dir;
    FileList list;
    RecordingWindow window;

    // Converts the given files with the given number of workers.
    RunReport Convert(const QList<std::pair<QString, QByteArray>> &files, int workers)
    {
        for (const auto &[name, bytes] : files)
            list.AppendPath(WriteFile(dir, name, bytes));
        ConversionRun run(window, list);
        run.SetWorkerCount(workers);
        return run.Run();
    }
};

QList<std::pair<QString, QByteArray>> MixedFiles()
{
    QList<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < 6; ++i)
        files.append({QStringLiteral("p%1.psd").arg(i), SmallPsd(16 + i * 9, 12 + i * 5)});
    files.insert(2, {QStringLiteral("crash.psd"), PsdWriter::TruncatedInRowCounts()});
    files.insert(5, {QStringLiteral("resource.psd"), PsdWriter::ResourceNameLengthFF()});
    return files;
}

} // namespace

class TestParallelRun : public QObject
{
    Q_OBJECT

private slots:
    void sameOutputsAsOneWorker_data();
    void sameOutputsAsOneWorker();
    void progressInListOrder();
    void sameTargetNeverRunsTogether();
};

void TestParallelRun::sameOutputsAsOneWorker_data()
{
    QTest::addColumn<int>("workers");
    QTest::newRow("two") << 2;
    QTest::newRow("four") << 4;
    QTest::newRow("eight") << 8;
}

void TestParallelRun::sameOutputsAsOneWorker()
{
    QFETCH(int, workers);
    Batch one;
    Batch many;
    const RunReport expected = one.Convert(MixedFiles(), 1);
    const RunReport actual = many.Convert(MixedFiles(), workers);

    QCOMPARE(actual.entries.size(), expected.entries.size());
    for (int i = 0; i < expected.entries.size(); ++i) {
        const QString name = QFileInfo(expected.entries[i].target).fileName();
        QCOMPARE(actual.entries[i].status, expected.entries[i].status);
        QCOMPARE(FileDigest(many.dir.filePath(name)), FileDigest(one.dir.filePath(name)));
    }
    // The damaged files failed without taking their neighbours with them.
    QCOMPARE(actual.FailedCount(), 2);
    QCOMPARE(many.window.messages,
             one.window.messages.replaceInStrings(one.dir.path(), many.dir.path()));
}

void TestParallelRun::progressInListOrder()
{
    Batch batch;
    const QList<std::pair<QString, QByteArray>> files = {
        {QStringLiteral("a.psd"), SmallPsd(300, 200)},
        {QStringLiteral("b.psd"), SmallPsd()},
        {QStringLiteral("c.psd"), SmallPsd(200, 300)},
        {QStringLiteral("d.psd"), SmallPsd()},
    };
    batch.Convert(files, 3);
    QCOMPARE(batch.window.progress, (QVector<float>{25.0f, 50.0f, 75.0f, 100.0f, 0.0f}));
    QCOMPARE(batch.window.messages, QStringList{QStringLiteral("Done.")});
    QCOMPARE(batch.window.pointerAtMessage.value(0), PointerShape::Default);
}

void TestParallelRun::sameTargetNeverRunsTogether()
{
    Batch alone;
    alone.Convert({{QStringLiteral("x.psd"), SmallPsd(400, 300)}}, 1);

    Batch batch;
    PsdWriter psb(400, 300, PsdWriter::Rgb, [](int, int, int c) { return quint16(c * 30000); });
    psb.SetLargeFormat(true);
    const RunReport report = batch.Convert({{QStringLiteral("x.psd"), SmallPsd(400, 300)},
                                            {QStringLiteral("x.psb"), psb.Bytes()},
                                            {QStringLiteral("y.psd"), SmallPsd()}},
                                           3);

    QCOMPARE(report.entries[0].status, wire::Status::Ok);
    QCOMPARE(report.entries[1].status, wire::Status::AlreadyExists);
    QCOMPARE(report.entries[2].status, wire::Status::Ok);
    // The JPEG is the first entry's, whole.
    QCOMPARE(FileDigest(batch.dir.filePath(QStringLiteral("x.jpg"))),
             FileDigest(alone.dir.filePath(QStringLiteral("x.jpg"))));
    QCOMPARE(QDir(batch.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 5);
}

QTEST_GUILESS_MAIN(TestParallelRun)
#include "tst_parallelrun.moc"
