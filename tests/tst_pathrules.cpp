#include "fixtures.h"
#include "pathrules.h"

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
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("many dots") << QStringList{"/a.b/a.b.c.psd", "/a.b/", "a.b.c.psd", "a.b.c"};
    QTest::newRow("share folder") << QStringList{"//srv/share/", "//srv/share/", "", ""};
    QTest::newRow("empty") << QStringList{"", "", "", ""};
    QTest::newRow("backslashes, dot last")
        << QStringList{"C:\\a\\pic.", "", "C:\\a\\pic.", "C:\\a\\pic"};
    QTest::newRow("dot first") << QStringList{".psd", "", ".psd", ""};
    QTest::newRow("no dot") << QStringList{"/a.b/cover", "/a.b/", "cover", "cover"};
}

void TestPathRules::takingPathsApart()
{
    QFETCH(QStringList, parts);
    QCOMPARE(FolderOfPath(parts[0]), parts[1]);
    QCOMPARE(NameOfPath(parts[0]), parts[2]);
    QCOMPARE(StripExtension(parts[2]), parts[3]);
}

void TestPathRules::fileChecks()
{
    QTemporaryDir dir;
    const QString file = WriteFile(dir, QStringLiteral("HERE.PSD"), "x");
    // Cut at the NUL, the last would name the file.
    for (const QString &missing : {file + ".not", dir.filePath("gone/HERE.PSD"), file + QChar(0)}) {
        QVERIFY(!FileExists(missing) && ShortPathOf(missing).isEmpty());
        DeleteFileQuietly(missing);
    }
    // After the failures, and a folder keeps its slash.
    for (const QString &path : {file, dir.path() + '/'}) {
        QVERIFY(FileExists(path) && ShortPathOf(path) == path);
        DeleteFileQuietly(path);
    }
    QVERIFY(!QFile::exists(file) && QFile::exists(dir.path()));
}

QTEST_GUILESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
