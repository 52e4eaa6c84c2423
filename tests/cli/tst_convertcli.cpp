#include "cli/commandline.h"
#include "cli/progressline.h"
#include "support/fixtures.h"
#include "support/psdwriter.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

// quillmere-convert as a script runs it: the real program, real files, names as raw bytes.
namespace
{

// Its header reads, so the worker makes the target's folders, but it has no flattened picture
// and its one layer blends by a mode no one knows.
QByteArray UndrawablePsd()
{
    PsdWriter::Layer layer;
    layer.width = layer.height = 4;
    layer.samples = [](int, int, int) { return quint16(0); };
    layer.blendMode = "zzzz";
    return PsdWriter::WithoutComposite(4, 4, PsdWriter::Rgb).AddLayer(layer).Bytes();
}

} // namespace

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
    void AgeAfterName(const QByteArray &path);
    static int FilesBelow(const QByteArray &root);

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
    QTest::newRow("output keeps the tree, psd and psb")
        << QByteArrayList{"scans/a.psd", "scans/2019/b.psd", "scans/2019/c.PSB", "one.psd"}
        << QByteArrayList{"-o", "web/", "scans", "one.psd", "--quality=50"} << 0
        << QByteArrayList{"4 files: 4 conv"}
        << QByteArrayList{"web/a.jpg", "web/2019/b.jpg", "web/2019/c.jpg", "web/one.jpg"};
    QTest::newRow("output folders a failure left empty go again")
        << QByteArrayList{"s/ok/a.psd", "s/no/deeper/undrawable.psd"}
        << QByteArrayList{"-o", "o/new", "s"} << 1
        << QByteArrayList{"ROOT/s/no/deeper/undrawable.psd: could not be read", "2 files: 1 conv"}
        << QByteArrayList{"o/new/ok/a.jpg"};
    QTest::newRow("two sources at one target")
        << QByteArrayList{"p/x.psd", "q/x.psd"}
        << QByteArrayList{"--output", "out", "--update", "p/x.psd", "q/x.psd"} << 1
        << QByteArrayList{"ROOT/q/x.psd: already exists (made from an earlier",
                          "2 files: 1 converted, 1 failed"}
        << QByteArrayList{"out/x.jpg"};
    QTest::newRow("output folder cannot be made")
        << QByteArrayList{"f.psd", "out"} << QByteArrayList{"-o", "out/sub", "f.psd"} << 1
        << QByteArrayList{"ROOT/f.psd: could not be written (Not a directory)", "1 file: 0 conv"}
        << none;
    // Older, newer and equal in time to their sources; a folder is never replaced.
    QTest::newRow("update") << QByteArrayList{"old.psd",  "old.jpg",  "new.psd", "new.jpg",
                                              "same.psd", "same.jpg", "dir.psd", "dir.jpg/"}
                            << QByteArrayList{"--update", "."} << 1
                            << QByteArrayList{"ROOT/./dir.psd: already exists",
                                              "4 files: 1 converted, 2 up to date, 1 failed"}
                            << QByteArrayList{"old.jpg"};
    QTest::newRow("dry run") << QByteArrayList{"s/a.psd", "s/new.psd", "s/new.jpg"}
                             << QByteArrayList{"--dry-run", "s"} << 1
                             << QByteArrayList{"ROOT/s/a.psd -> ROOT/s/a.jpg: convert",
                                               "ROOT/s/new.psd -> ROOT/s/new.jpg: already exists"}
                             << none;
    QTest::newRow("dry run, update, output")
        << QByteArrayList{"s/a.psd", "s/new.psd", "o/new.jpg"}
        << QByteArrayList{"--dry-run", "--update", "-o", "o", "s"} << 0
        << QByteArrayList{"ROOT/s/a.psd -> ROOT/o/a.jpg: convert",
                          "ROOT/s/new.psd -> ROOT/o/new.jpg: up to date"}
        << none;
    QTest::newRow("bad quality")
        << none << QByteArrayList{"--quality", "101", "a.psd"} << 2
        << QByteArrayList{"quillmere-convert: --quality takes a number from 1 to 100"} << none;
    const QByteArray usage = "Usage: quillmere-convert [OPTION]... PATH...";
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
        const bool psd = !file.contains("bad") && !file.contains(".jpg");
        const QByteArray bytes = file.contains("undrawable") ? UndrawablePsd()
                                 : psd                       ? SmallPsd()
                                                             : QByteArray("x");
        QVERIFY(MakeByBytes(m_root + file, bytes));
        AgeAfterName(m_root + file);
    }
    const int before = FilesBelow(m_root);
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
    const bool toOut = arguments.contains("--help") || arguments.contains("--version") ||
                       arguments.contains("--dry-run");
    const QByteArray told =
        toOut ? process.readAllStandardOutput() : process.readAllStandardError();
    QCOMPARE((toOut ? process.readAllStandardError() : process.readAllStandardOutput()), "");
    // Failures come in the order the files finish; each is one line.
    QByteArrayList got = told.split('\n');
    // LeakSanitizer's own note on a thread that was ending as it looked, in a sanitized build:
    // not the program's output.
    got.removeIf([](const QByteArray &line) {
        return line.startsWith("==") && line.contains("Unable to get registers from thread");
    });
    for (QByteArray expected : lines) {
        expected.replace("ROOT/", m_root);
        const auto line = std::find_if(got.begin(), got.end(), [&](const QByteArray &line) {
            return line.startsWith(expected);
        });
        QVERIFY2(line != got.end(), told.constData());
        got.erase(line);
    }
    if (status != 2 && (!toOut || arguments.contains("--dry-run")))
        QVERIFY2(got == QByteArrayList{""}, told.constData()); // nothing else; the last line ends
    for (const QByteArray &jpeg : made) {
        std::ifstream in((m_root + jpeg).constData(), std::ios::binary);
        QVERIFY2(in.get() == 0xff && in.get() == 0xd8, jpeg.constData());
    }
    // A file that was there stays as it was, unless it was to be replaced.
    for (const QByteArray &file : files) {
        if (file.endsWith(".jpg") && !made.contains(file))
            QCOMPARE(std::ifstream((m_root + file).constData()).get(), 'x');
    }
    if (arguments.contains("--dry-run"))
        QCOMPARE(FilesBelow(m_root), before + 1); // its script
    // No run leaves an empty folder behind but those it was given.
    QDirIterator folders(QFile::decodeName(m_root), QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (folders.hasNext()) {
        const QString folder = folders.next();
        const QByteArray named = QFile::encodeName(folder).mid(m_root.size()) + '/';
        QVERIFY2(!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ||
                     files.contains(named),
                 qPrintable(folder));
    }
}

// A JPEG file named old, new or same is older, newer or as old as now.
void TestConvertCli::AgeAfterName(const QByteArray &path)
{
    timespec times[2] = {{0, UTIME_OMIT}, {}};
    QVERIFY(clock_gettime(CLOCK_REALTIME, &times[1]) == 0);
    times[1].tv_sec += path.contains("/old.jpg") ? -1000 : path.contains("/new.jpg") ? 1000 : 0;
    if (path.contains("/old.jpg") || path.contains("/new.jpg") || path.contains("/same.jpg")) {
        struct stat source = {};
        if (path.contains("/same.jpg") && ::stat(m_root + "same.psd", &source) == 0)
            times[1] = source.st_mtim;
        QVERIFY(utimensat(AT_FDCWD, path.constData(), times, 0) == 0);
    }
}

int TestConvertCli::FilesBelow(const QByteArray &root)
{
    QDirIterator files(QFile::decodeName(root), QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    int count = 0;
    for (; files.hasNext(); files.next())
        ++count;
    return count;
}

QTEST_GUILESS_MAIN(TestConvertCli)
#include "tst_convertcli.moc"
