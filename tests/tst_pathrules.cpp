#include "pathrules.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPathRules : public QObject
{
    Q_OBJECT

private slots:
    void folderOfPath_data();
    void folderOfPath();
    void nameOfPath_data();
    void nameOfPath();
    void stripExtension_data();
    void stripExtension();
    void shortPathOf_data();
    void shortPathOf();
    void fileExists();
    void deleteFileQuietly();

private:
    QTemporaryDir m_dir;
    QString Make(const QString &name);
};

QString TestPathRules::Make(const QString &name)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot make a fixture file");
    file.write("x");
    return path;
}

void TestPathRules::folderOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("file") << "/a/b.psd"
                          << "/a/";
    QTest::newRow("folder") << "/a/"
                            << "/a/";
    QTest::newRow("bare name") << "b.psd"
                               << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("share") << "//srv/share/x.psd"
                           << "//srv/share/";
    QTest::newRow("backslashes only") << "C:\\a\\b.psd"
                                      << "";
    QTest::newRow("root") << "/x.psd"
                          << "/";
}

void TestPathRules::folderOfPath()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(FolderOfPath(path), folder);
}

void TestPathRules::nameOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("file") << "/a/b.psd"
                          << "b.psd";
    QTest::newRow("bare name") << "b.psd"
                               << "b.psd";
    QTest::newRow("folder") << "/a/"
                            << "";
    QTest::newRow("backslashes only") << "C:\\a\\b.psd"
                                      << "C:\\a\\b.psd";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPathRules::nameOfPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(NameOfPath(path), name);
}

void TestPathRules::stripExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::newRow("one dot") << "b.psd"
                             << "b";
    QTest::newRow("many dots") << "a.b.c.psd"
                               << "a.b.c";
    QTest::newRow("trailing dot") << "pic."
                                  << "pic";
    QTest::newRow("dot first") << ".psd"
                               << "";
    QTest::newRow("single dot") << "."
                                << "";
    QTest::newRow("no dot") << "cover"
                            << "cover";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPathRules::stripExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QCOMPARE(StripExtension(name), base);
}

void TestPathRules::shortPathOf_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("file") << "UPPER.PSD" << true;
    QTest::newRow("folder keeps its slash") << "" << true;
    QTest::newRow("long name with space") << "a long name.psd" << true;
    QTest::newRow("missing") << "missing.psd" << false;
    QTest::newRow("in a missing folder") << "gone/x.psd" << false;
}

void TestPathRules::shortPathOf()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.path() + QLatin1Char('/') + name;
    if (exists && !name.isEmpty())
        Make(name);
    QCOMPARE(ShortPathOf(path), exists ? path : QString());
}

void TestPathRules::fileExists()
{
    const QString file = Make(QStringLiteral("here.psd"));
    QVERIFY(FileExists(file));
    QVERIFY(!FileExists(m_dir.filePath(QStringLiteral("nothere.psd"))));
    QVERIFY(!FileExists(m_dir.filePath(QStringLiteral("nofolder/here.psd"))));
    // A failed call leaves nothing behind that spoils the next answer.
    QVERIFY(FileExists(file));
    QVERIFY(!FileExists(QString()));
    // Cut at the NUL, this would name the existing file.
    QVERIFY(!FileExists(file + QChar(0) + QStringLiteral("tail")));
}

void TestPathRules::deleteFileQuietly()
{
    const QString bystander = Make(QStringLiteral("bystander.psd"));
    const QString file = Make(QStringLiteral("doomed.psd"));
    DeleteFileQuietly(file + QChar(0) + QStringLiteral("tail"));
    QVERIFY(QFile::exists(file));
    DeleteFileQuietly(file);
    QVERIFY(!QFile::exists(file));
    DeleteFileQuietly(file);
    DeleteFileQuietly(QString());
    DeleteFileQuietly(m_dir.path());
    QVERIFY(QFile::exists(bystander));
    QVERIFY(QDir(m_dir.path()).exists());
}

QTEST_GUILESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
