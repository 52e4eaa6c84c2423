// Real files from many writers, each held to its reference rendering.
#include "run/conversionrun.h"
#include "support/fixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusMatchesReferences_data();
    void corpusMatchesReferences();
};

void TestCorpus::corpusMatchesReferences_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("truncated"); // a file that must fail, with a reason

    QTest::newRow("corpus") << QUILLMERE_CORPUS_DIR << "pt_group-divider-blend-mode.psd";
    QTest::newRow("other writers") << QUILLMERE_CORPUS_DIR "/../writers"
                                   << "";
}

void TestCorpus::corpusMatchesReferences()
{
    QFETCH(QString, folder);
    QFETCH(QString, truncated);

    const QDir corpus(folder);
    const QStringList names = corpus.entryList({"*.psd", "*.psb"}, QDir::Files);
    if (names.isEmpty())
        QSKIP("no corpus beside this checkout");
    // Copies, so the targets land in our folder; X.psd becomes X_psd.psd, apart from X.psb.
    const QTemporaryDir dir;
    QByteArrayList copies;
    for (const QString &name : names) {
        const QString copy = dir.filePath(QString(name).replace('.', '_') + name.right(4));
        QVERIFY(QFile::copy(corpus.filePath(name), copy));
        copies.append(QFile::encodeName(copy));
    }
    ConversionRun run;
    const RunReport report = RunToEnd(run, copies);

    QStringList unfaithful;
    int referenced = 0;
    int refused = 0;
    for (int i = 0; i < names.size(); ++i) {
        const EntryResult entry = report.entries.value(i);
        // Every failure has a reason, and none is a decoder that stopped.
        QVERIFY2(entry.status != wire::Status::DecoderStopped, qPrintable(names[i]));
        const double db = ReferenceDb(entry.target, corpus.filePath("ref/" + names[i] + ".png"),
                                      dir.filePath(names[i] + ".reference.jpg"));
        // A file saved without its flattened picture may be refused for what its layers use.
        const bool honest = entry.detail.startsWith("no flattened picture, and its layers use");
        refused += honest ? 1 : 0;
        const bool scored = db >= 0 && !honest;
        referenced += scored ? 1 : 0;
        if (scored && db < 40)
            unfaithful.append(names[i]);
        qInfo("%-40s %-8s %s", qPrintable(names[i]), qPrintable(db >= 0 ? entry.detail : "-"),
              qPrintable(entry.status == wire::Status::Ok ? QString::number(db, 'f', 1)
                                                          : "failed: " + entry.detail));
    }
    qInfo("%d of %d files with a reference score 40 dB or more; %d refused for what their layers "
          "use",
          referenced - int(unfaithful.size()), referenced, refused);
    QVERIFY2(unfaithful.isEmpty(), qPrintable(unfaithful.join(", ")));
    if (truncated.isEmpty())
        return;
    const EntryResult cut = report.entries.value(names.indexOf(truncated));
    QCOMPARE(cut.status, wire::Status::Unreadable);
    QVERIFY(!cut.detail.isEmpty());
}

QTEST_GUILESS_MAIN(TestCorpus)
#include "tst_corpus.moc"
