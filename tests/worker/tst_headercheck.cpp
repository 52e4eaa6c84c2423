// Through the real worker: a file whose name or first bytes say PSD reaches a decoder only
// past the header check, and is refused for the same reason every time; a file that says
// nothing of the kind goes to DevIL.
#include "support/batch.h"
#include "support/psdwriter.h"

#include <QTest>

class TestHeaderCheck : public QObject
{
    Q_OBJECT

private slots:
    void refusedBeforeAnyDecoder_data();
    void refusedBeforeAnyDecoder();
};

void TestHeaderCheck::refusedBeforeAnyDecoder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("detail");

    const QByteArray cut = PsdWriter::Header(PsdWriter::Psd, 3, 8, 8, 8, PsdWriter::Rgb).left(20);
    QTest::newRow("cut short") << "a.psd" << cut << "damaged file: cut short inside the header";
    QTest::newRow("signature, named otherwise")
        << "a.tga" << cut << "damaged file: cut short inside the header";
    QTest::newRow("named in capitals, no signature")
        << "a.PSB" << QByteArray(40, 'x') << "damaged file: not a PSD or PSB header";
    // DevIL's own reason.
    QTest::newRow("neither") << "a.tga" << QByteArray(40, 'x') << "damaged file";
}

// Twice: a reason read from memory the file never filled would differ.
void TestHeaderCheck::refusedBeforeAnyDecoder()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, detail);
    Batch batch;
    batch.Add({{name, bytes}, {"copy-" + name, bytes}});
    for (const EntryResult &entry : batch.Convert(1).entries) {
        QCOMPARE(entry.status, wire::Status::Unreadable);
        QCOMPARE(entry.detail, detail);
    }
}

QTEST_GUILESS_MAIN(TestHeaderCheck)
#include "tst_headercheck.moc"
