#include "run/pathrules.h"
#include "run/targetpath.h"
#include "support/fixtures.h"

#include <QtTest>

class TestPathRules : public QObject
{
    Q_OBJECT

private slots:
    void takingPathsApart_data();
    void takingPathsApart();
    void fileChecks();
};

void TestPathRules::takingPathsApart_data()
{
    // The path, its folder, its name and the name's base.
    QTest::addColumn<QByteArrayList>("parts");
    QTest::newRow("many dots") << QByteArrayList{"/a.b/a.b.c.psd", "/a.b/", "a.b.c.psd", "a.b.c"};
    QTest::newRow("backslashes, dot last")
        << QByteArrayList{"C:\\a\\pic.", "", "C:\\a\\pic.", "C:\\a\\pic"};
    QTest::newRow("dot first") << QByteArrayList{".psd", "", ".psd", ""};
    QTest::newRow("no dot") << QByteArrayList{"/a.b/cover", "/a.b/", "cover", "cover"};
}

void TestPathRules::takingPathsApart()
{
    QFETCH(QByteArrayList, parts);
    QCOMPARE(FolderOfPath(parts[0]), parts[1]);
    QCOMPARE(NameOfPath(parts[0]), parts[2]);
    QCOMPARE(StripExtension(parts[2]), parts[3]);
}

void TestPathRules::fileChecks()
{
    QTemporaryDir dir;
    const QByteArray file = QFile::encodeName(dir.path()) + "/dossier\xe9/HERE.PSD";
    QVERIFY(MakeByBytes(file, "x"));
    // Cut at the NUL, the third would name the file; the path through text names none.
    const QByteArray asText = QFile::encodeName(QFile::decodeName(file));
    for (const QByteArray &missing :
         {file + ".not", FolderOfPath(file) + "gone/HERE.PSD", file + '\0', asText})
        QVERIFY(!FileExists(missing) && ShortPathOf(missing).isEmpty());
    // After the failures, and a folder keeps its slash.
    for (const QByteArray &path : {file, FolderOfPath(file)})
        QVERIFY(FileExists(path) && ShortPathOf(path) == path);
    // The target keeps the bytes; with its folder gone, or none, it has no place at all.
    QCOMPARE(TargetPathOf(FolderOfPath(file) + "caf\xe9.psd"), FolderOfPath(file) + "caf\xe9.jpg");
    QVERIFY(TargetPathOf(asText).isEmpty() && TargetPathOf("caf\xe9.psd").isEmpty());
    RemoveBelow(QFile::encodeName(dir.path()));
}

QTEST_GUILESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
