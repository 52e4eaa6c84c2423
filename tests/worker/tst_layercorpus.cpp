// Real layered files saved again without their flattened picture, as Photoshop does with
// "maximize compatibility" off: every picture rebuilt from the layers is held to the reference
// of the one Photoshop flattened, and every other file is refused with a reason.
#include "run/conversionrun.h"
#include "support/fixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestLayerCorpus : public QObject
{
    Q_OBJECT

private slots:
    void rebuiltOrRefused_data();
    void rebuiltOrRefused();
};

void TestLayerCorpus::rebuiltOrRefused_data()
{
    QTest::addColumn<QString>("folder");

    QTest::newRow("layered documents") << QUILLMERE_CORPUS_DIR "/../layers";
    QTest::newRow("corpus") << QUILLMERE_CORPUS_DIR;
}

void TestLayerCorpus::rebuiltOrRefused()
{
    QFETCH(QString, folder);

    const QDir source(folder);
    const QString blank = QUILLMERE_CORPUS_DIR "/../tools/blank-composite.py";
    const QStringList names = source.entryList({"*.psd", "*.psb"}, QDir::Files);
    if (names.isEmpty() || !QFile::exists(blank))
        QSKIP("no layered files beside this checkout");
    // Blanked copies, one folder each, so that X.psd and X.psb do not meet; a file without
    // layers or without the resource to mark is left out.
    const QTemporaryDir dir;
    QStringList blanked;
    QByteArrayList copies;
    for (const QString &name : names) {
        const QString copy = dir.filePath(name + "/" + name);
        QVERIFY(QDir(dir.path()).mkdir(name));
        if (QProcess::execute("python3", {blank, source.filePath(name), copy}) != 0)
            continue;
        blanked.append(name);
        copies.append(QFile::encodeName(copy));
    }
    ConversionRun run;
    const RunReport report = RunToEnd(run, copies);

    QStringList wrong;
    int rebuilt = 0;
    for (int i = 0; i < blanked.size(); ++i) {
        const EntryResult entry = report.entries.value(i);
        const bool ok = entry.status == wire::Status::Ok;
        const double db =
            ok ? ReferenceDb(entry.target, source.filePath("ref/" + blanked[i] + ".png"),
                             dir.filePath(blanked[i] + ".reference.jpg"))
               : -1;
        const bool scored = db >= 0;
        const bool refused =
            entry.status == wire::Status::Unreadable &&
            (entry.detail.startsWith("no flattened picture") || entry.detail.startsWith("damaged"));
        rebuilt += scored && db >= 40 ? 1 : 0;
        if ((ok && !entry.detail.startsWith("layers")) || (scored && db < 40) || (!ok && !refused))
            wrong.append(blanked[i]);
        qInfo("%-56s %s", qPrintable(blanked[i]),
              qPrintable(ok ? (scored ? QString::number(db, 'f', 1) : "no reference")
                            : entry.detail));
    }
    qInfo("%d of %d rebuilt at 40 dB or more", rebuilt, int(blanked.size()));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
}

QTEST_GUILESS_MAIN(TestLayerCorpus)
#include "tst_layercorpus.moc"
