#include "cli/commandline.h"
#include "cli/progressline.h"
#include "support/fixtures.h"

#include <QtTest>

#include <csignal>
#include <fstream>

// quillmere-convert as a script runs it: the real program, real files, names as raw bytes.
class TestConvertCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { RemoveBelow(m_root); }
    void optionsAmongPaths();
    void progressText_data();
    void progressText();
    void runs_data();
    void runs();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_root;
};

void TestConvertCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_root = QFile::encodeName(m_dir->path()) + '/';
}

void TestConvertCli::optionsAmongPaths()
{
    const CommandLine line({"caf\xe9.psd", "--jobs", "3", "--extension=PSB", "--", "--jobs", "-"});
    QCOMPARE(line.Requested(), CommandLine::Action::Convert);
    QCOMPARE(line.Jobs(), 3);
    QCOMPARE(line.Extension(), "PSB");
    QCOMPARE(line.Paths(), (QByteArrayList{"caf\xe9.psd", "--jobs", "-"}));
}

void TestConvertCli::progressText_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("hours left") << 37 << 100000 << 3.0
                                << "37/100000 (0.0 %), 12.3 files/s, 2:15:06 left";
    QTest::newRow("all done") << 8 << 8 << 2.0 << "8/8 (100.0 %), 4.00 files/s";
}

void TestConvertCli::progressText()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(ProgressLine::Text(done, total, seconds), text);
}

void TestConvertCli::runs_data()
{
    // Files are PSD files, except "bad" ones and JPEG files, which hold a byte. Each line
    // expected begins a line of standard error (ROOT/ stands for the test's folder).
    QTest::addColumn<QByteArrayList>("files");
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArrayList>("made");
    const QByteArrayList none;
    QTest::newRow("files and a folder, bytes kept")
        << QByteArrayList{"caf\xe9.psd", "dossier\xe9/b.psd", "dossier\xe9/sub/c.PSD",
                          "dossier\xe9/notes.txt", "dossier\xe9/.hid/h.psd"}
        << QByteArrayList{"caf\xe9.psd", "dossier\xe9"} << 0 << QByteArrayList{"3 files: 3 conv"}
        << QByteArrayList{"caf\xe9.jpg", "dossier\xe9/b.jpg", "dossier\xe9/sub/c.jpg"};
    QTest::newRow("a line per failure")
        << QByteArrayList{"bad.psd", "x.psd", "x.jpg", "ok.psd"}
        << QByteArrayList{"--jobs", "2", "bad.psd", "x.psd", "gone.psd", "ok.psd"} << 1
        << QByteArrayList{"ROOT/bad.psd: could not be read or decoded",
                          "ROOT/gone.psd: could not be read or decoded",
                          "ROOT/x.psd: already exists", "4 files: 1 converted, 3 failed"}
        << QByteArrayList{"ok.jpg"};
    QTest::newRow("every file of a folder")
        << QByteArrayList{"d/a.psd", "d/bad.txt"} << QByteArrayList{"d", "--extension=*"} << 1
        << QByteArrayList{"ROOT/d/bad.txt: could not be read or decoded", "2 files: 1 conv"}
        << QByteArrayList{"d/a.jpg"};
    // Held from before the start, so the search sees it at its first look.
    QTest::newRow("Ctrl-C while gathering")
        << QByteArrayList{"d/a.psd"} << QByteArrayList{"d"} << 1
        << QByteArrayList{"Stopped while gathering files: nothing converted."} << none;
    QTest::newRow("nothing to convert") << QByteArrayList{"e/x.jpg"} << QByteArrayList{"e"} << 0
                                        << QByteArrayList{"0 files: nothing"} << none;
    QTest::newRow("strip metadata")
        << QByteArrayList{"s.psd"} << QByteArrayList{"s.psd", "--strip-metadata"} << 0
        << QByteArrayList{"1 file: 1 conv"} << QByteArrayList{"s.jpg"};
    const QByteArray usage = "Usage: quillmere-convert [--jobs N]";
    QTest::newRow("no path") << none << none << 2
                             << QByteArrayList{"quillmere-convert: no PATH given", usage} << none;
    QTest::newRow("bad jobs") << none << QByteArrayList{"--jobs", "0", "a.psd"} << 2
                              << QByteArrayList{"quillmere-convert: --jobs takes", usage} << none;
    QTest::newRow("value missing")
        << none << QByteArrayList{"a.psd", "--extension"} << 2
        << QByteArrayList{"quillmere-convert: --extension needs a value", usage} << none;
    // Asked for, help and version go to standard output.
    QTest::newRow("version") << none << QByteArrayList{"--version"} << 0
                             << QByteArrayList{"quillmere-convert 1."} << none;
    QTest::newRow("help") << none << QByteArrayList{"a.psd", "--help"} << 0 << QByteArrayList{usage}
                          << none;
}

void TestConvertCli::runs()
{
    QFETCH(QByteArrayList, files);
    QFETCH(QByteArrayList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArrayList, made);
    for (const QByteArray &file : files) {
        const bool psd = !file.contains("bad") && !file.endsWith(".jpg");
        QVERIFY(MakeByBytes(m_root + file, psd ? SmallPsd() : QByteArray("x")));
    }
    // Through a shell script, since QProcess would take the arguments as text.
    QByteArray script = "exec '" + QFile::encodeName(QCoreApplication::applicationDirPath()) +
                        "/quillmere-convert'";
    for (const QByteArray &argument : arguments)
        script += " '" + argument + "'";
    QVERIFY(MakeByBytes(m_root + "run.sh", script));
    QProcess process;
    process.setWorkingDirectory(m_dir->path()); // relative paths name the test's files
    if (QByteArray(QTest::currentDataTag()).startsWith("Ctrl-C"))
        process.setChildProcessModifier([] {
            sigset_t interrupt;
            sigemptyset(&interrupt);
            sigaddset(&interrupt, SIGINT);
            pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
            raise(SIGINT);
        });
    process.start(QStringLiteral("/bin/sh"), {m_dir->filePath("run.sh")});
    QVERIFY(process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const bool toOut = arguments.contains("--help") || arguments.contains("--version");
    const QByteArray told =
        toOut ? process.readAllStandardOutput() : process.readAllStandardError();
    QCOMPARE((toOut ? process.readAllStandardError() : process.readAllStandardOutput()), "");
    // Failures come in the order the files finish; each is one line.
    QByteArrayList got = told.split('\n');
    for (QByteArray expected : lines) {
        expected.replace("ROOT/", m_root);
        const auto line = std::find_if(got.begin(), got.end(), [&](const QByteArray &line) {
            return line.startsWith(expected);
        });
        QVERIFY2(line != got.end(), told.constData());
        got.erase(line);
    }
    if (status != 2 && !toOut)
        QCOMPARE(got, QByteArrayList{""}); // nothing else, and the last line ends
    for (const QByteArray &jpeg : made) {
        std::ifstream in((m_root + jpeg).constData(), std::ios::binary);
        QVERIFY2(in.get() == 0xff && in.get() == 0xd8, jpeg.constData());
    }
    // A file that was there stays as it was.
    for (const QByteArray &file : files) {
        if (file.endsWith(".jpg"))
            QCOMPARE(std::ifstream((m_root + file).constData()).get(), 'x');
    }
}

QTEST_GUILESS_MAIN(TestConvertCli)
#include "tst_convertcli.moc"
