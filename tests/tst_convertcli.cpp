#include "fixtures.h"

#include <QtTest>

#include <cstdio>

namespace
{

QByteArray Contents(const QByteArray &path)
{
    QByteArray bytes;
    if (std::FILE *file = std::fopen(path.constData(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, qsizetype(n));
        std::fclose(file);
    }
    return bytes;
}

} // namespace

// quillmere-convert as a script runs it: the real program, real files, names as raw bytes.
class TestConvertCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void batches_data();
    void batches();
    void usage_data();
    void usage();

private:
    int Run(const QByteArrayList &arguments, QByteArray &out, QByteArray &err);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_root;
};

void TestConvertCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = QFile::encodeName(m_dir->path()) + '/';
}

void TestConvertCli::cleanup()
{
    RemoveBelow(m_root);
}

// Through a shell script, since QProcess would take the arguments as text; in the test's
// folder, so relative paths name its files.
int TestConvertCli::Run(const QByteArrayList &arguments, QByteArray &out, QByteArray &err)
{
    QByteArray script = "exec '" + QFile::encodeName(QCoreApplication::applicationDirPath()) +
                        "/quillmere-convert'";
    for (const QByteArray &argument : arguments)
        script += " '" + argument + "'";
    if (!MakeByBytes(m_root + "run.sh", script))
        return -1;
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral("/bin/sh"), {m_dir->filePath("run.sh")});
    if (!process.waitForFinished(120000))
        return -1;
    out = process.readAllStandardOutput();
    err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestConvertCli::batches_data()
{
    // Files are PSD files, except "bad" ones and JPEG files, which hold a byte. Failure lines
    // start with the path (where ROOT/ stands for the test's folder) and the reason.
    QTest::addColumn<QByteArrayList>("files");
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArrayList>("failures");
    QTest::addColumn<QByteArrayList>("made");
    QTest::newRow("files and a folder, bytes kept")
        << QByteArrayList{"caf\xe9.psd", "dossier\xe9/b.psd", "dossier\xe9/sub/c.PSD",
                          "dossier\xe9/notes.txt", "dossier\xe9/.hid/h.psd"}
        << QByteArrayList{"caf\xe9.psd", "dossier\xe9"} << 0 << QByteArrayList()
        << QByteArrayList{"caf\xe9.jpg", "dossier\xe9/b.jpg", "dossier\xe9/sub/c.jpg"};
    QTest::newRow("a line per failure")
        << QByteArrayList{"bad.psd", "x.psd", "x.jpg", "ok.psd"}
        << QByteArrayList{"--jobs", "2", "bad.psd", "x.psd", "gone.psd", "ok.psd"} << 1
        << QByteArrayList{"ROOT/bad.psd: could not be read or decoded",
                          "ROOT/gone.psd: could not be read or decoded",
                          "ROOT/x.psd: already exists"}
        << QByteArrayList{"ok.jpg"};
    QTest::newRow("every file of a folder")
        << QByteArrayList{"d/a.psd", "d/bad.txt"} << QByteArrayList{"d", "--extension=*"} << 1
        << QByteArrayList{"ROOT/d/bad.txt: could not be read or decoded"}
        << QByteArrayList{"d/a.jpg"};
    QTest::newRow("nothing to convert") << QByteArrayList{"e/x.jpg"} << QByteArrayList{"e"} << 0
                                        << QByteArrayList() << QByteArrayList();
}

void TestConvertCli::batches()
{
    QFETCH(QByteArrayList, files);
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArrayList, failures);
    QFETCH(QByteArrayList, made);
    for (const QByteArray &file : files) {
        const bool psd = !file.contains("bad") && !file.endsWith(".jpg");
        QVERIFY(MakeByBytes(m_root + file, psd ? SmallPsd() : QByteArray("x")));
    }
    QByteArray out, err;
    QCOMPARE(Run(arguments, out, err), status);
    QCOMPARE(out, QByteArray());
    QByteArrayList lines = err.split('\n');
    QCOMPARE(lines.takeLast(), QByteArray()); // every line ends
    const QString summary = QString::fromUtf8(lines.takeLast());
    QVERIFY2(QRegularExpression("^\\d+ files?: ").match(summary).hasMatch(), qPrintable(summary));
    // In the order the files finish.
    std::sort(lines.begin(), lines.end());
    QCOMPARE(lines.size(), failures.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(failures[i].replace("ROOT/", m_root)), lines[i].constData());
    for (const QByteArray &jpeg : made)
        QVERIFY2(Contents(m_root + jpeg).startsWith("\xff\xd8\xff"), jpeg.constData());
    // A JPEG file that was there stays as it was.
    for (const QByteArray &file : files) {
        if (file.endsWith(".jpg"))
            QCOMPARE(Contents(m_root + file), QByteArray("x"));
    }
}

void TestConvertCli::usage_data()
{
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("no path") << QByteArrayList() << 2 << QByteArray()
                             << QByteArray("quillmere-convert: no PATH given\nUsage: ");
    QTest::newRow("bad jobs") << QByteArrayList{"--jobs", "0", "a.psd"} << 2 << QByteArray()
                              << QByteArray("quillmere-convert: --jobs takes a number");
    QTest::newRow("unknown option") << QByteArrayList{"--frobnicate", "a.psd"} << 2 << QByteArray()
                                    << QByteArray("quillmere-convert: unknown option --frobnicate");
    QTest::newRow("help") << QByteArrayList{"--help"} << 0 << QByteArray("Usage: ") << QByteArray();
    QTest::newRow("version") << QByteArrayList{"--version"} << 0
                             << QByteArray("quillmere-convert 1.") << QByteArray();
}

void TestConvertCli::usage()
{
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QByteArray gotOut, gotErr;
    QCOMPARE(Run(arguments, gotOut, gotErr), status);
    QVERIFY2(gotOut.startsWith(out) && (out.isEmpty() == gotOut.isEmpty()), gotOut.constData());
    QVERIFY2(gotErr.startsWith(err) && (err.isEmpty() == gotErr.isEmpty()), gotErr.constData());
    // A usage error shows the usage, as --help does.
    QCOMPARE(gotErr.contains("Usage: quillmere-convert"), status == 2);
}

QTEST_GUILESS_MAIN(TestConvertCli)
#include "tst_convertcli.moc"
