#include "fixtures.h"
#include "pathrules.h"
#include "targetpath.h"

#include <QtTest>

class TestPathRules : public QObject
{
    Q_OBJECT

private slots:
    void takingPathsApart_data();
    void takingPathsApart();
    void fileChecks();
    void targets_data();
    void targets();
};

void TestPathRules::takingPathsApart_data()
{
    // The path, its folder, its name and the name's base.
    QTest::addColumn<QByteArrayList>("parts");
    QTest::newRow("many dots") << QByteArrayList{"/a.b/a.b.c.psd", "/a.b/", "a.b.c.psd", "a.b.c"};
    QTest::newRow("share folder") << QByteArrayList{"//srv/share/", "//srv/share/", "", ""};
    QTest::newRow("empty") << QByteArrayList{"", "", "", ""};
    QTest::newRow("backslashes, dot last")
        << QByteArrayList{"C:\\a\\pic.", "", "C:\\a\\pic.", "C:\\a\\pic"};
    QTest::newRow("dot first") << QByteArrayList{".psd", "", ".psd", ""};
    QTest::newRow("no dot") << QByteArrayList{"/a.b/cover", "/a.b/", "cover", "cover"};
    QTest::newRow("Latin-1 bytes")
        << QByteArrayList{"/dossier\xe9/caf\xe9.psd", "/dossier\xe9/", "caf\xe9.psd", "caf\xe9"};
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
    // Cut at the NUL, the last would name the file; the text form of the folder names none.
    const QByteArray asText = QFile::encodeName(QFile::decodeName(file));
    for (const QByteArray &missing :
         {file + ".not", FolderOfPath(file) + "gone/HERE.PSD", file + '\0', asText}) {
        QVERIFY(!FileExists(missing) && ShortPathOf(missing).isEmpty());
        DeleteFileQuietly(missing);
    }
    // After the failures, and a folder keeps its slash.
    for (const QByteArray &path : {file, FolderOfPath(file)}) {
        QVERIFY(FileExists(path) && ShortPathOf(path) == path);
        DeleteFileQuietly(path);
    }
    QVERIFY(!FileExists(file) && FileExists(FolderOfPath(file)));
    RemoveBelow(QFile::encodeName(dir.path()));
}

void TestPathRules::targets_data()
{
    // A source below the test's folder, and its target there; "" for none.
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("plain") << QByteArray("a/cover.PSD") << QByteArray("a/cover.jpg");
    QTest::newRow("Latin-1 name and folder")
        << QByteArray("dossier\xe9/caf\xe9.psd") << QByteArray("dossier\xe9/caf\xe9.jpg");
    QTest::newRow("only the last dot")
        << QByteArray("a/logo.final.psd") << QByteArray("a/logo.final.jpg");
    QTest::newRow("folder gone") << QByteArray("gone/x.psd") << QByteArray();
}

void TestPathRules::targets()
{
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, target);
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()) + '/';
    QVERIFY(MakeByBytes(root + "a/") && MakeByBytes(root + "dossier\xe9/"));
    QCOMPARE(TargetPathOf(root + source), target.isEmpty() ? target : root + target);
    // Relative to the current folder, nothing is ever written.
    QVERIFY(TargetPathOf(NameOfPath(source)).isEmpty());
    RemoveBelow(root);
}

QTEST_GUILESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
