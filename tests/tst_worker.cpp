#include "fixtures.h"
#include "psdwriter.h"
#include "wireformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using wire::Status;

namespace
{

quint16 Ramp(int x, int y, int channel)
{
    return quint16((x * 8000 + y * 3000 + channel * 20000) & 0xFFFF);
}

} // namespace

// Each test speaks to a real worker over its pipes, as the app does.
class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void convertsOrFailsCleanly_data();
    void convertsOrFailsCleanly();
    void startsAfreshAfterAFailedDecode();

private:
    QString Path(const QString &name) const { return m_dir->filePath(name); }
    // Hidden ones too: a worker's temporary files are.
    QStringList NamesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    void Write(const QString &name, const QByteArray &bytes)
    {
        QVERIFY(!WriteFile(*m_dir, name, bytes).isEmpty());
    }
    void Restart(const QStringList &arguments = {});
    void Send(const QString &source, const QString &target);
    Status Answer();
    Status Convert(const QString &source, const QString &target);

    std::optional<QTemporaryDir> m_dir;
    QProcess m_worker;
    std::string m_buffer;
};

void TestWorker::init()
{
    m_dir.emplace();
    // So that a file size limit fails writes instead of ending the worker.
    m_worker.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_IGN); });
    m_worker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Restart();
}

void TestWorker::cleanup()
{
    m_worker.closeWriteChannel();
    m_worker.waitForFinished();
}

void TestWorker::Restart(const QStringList &arguments)
{
    m_worker.closeWriteChannel();
    m_worker.waitForFinished();
    m_buffer.clear();
    m_worker.start(QCoreApplication::applicationDirPath() + "/quillmere-worker", arguments);
    m_worker.waitForStarted();
}

void TestWorker::Send(const QString &source, const QString &target)
{
    const wire::Request request{QFile::encodeName(Path(source)).toStdString(),
                                QFile::encodeName(Path(target)).toStdString()};
    m_worker.write(QByteArray::fromStdString(wire::EncodeRequest(request)));
    m_worker.waitForBytesWritten();
}

// DecoderStopped when the worker ended without an answer, as the app takes it.
Status TestWorker::Answer()
{
    for (bool malformed = false;;) {
        m_buffer += m_worker.readAllStandardOutput().toStdString();
        if (std::optional<wire::Response> response = wire::TakeResponse(m_buffer, malformed))
            return response->status;
        if (malformed || !m_worker.waitForReadyRead(60000))
            return Status::DecoderStopped;
    }
}

Status TestWorker::Convert(const QString &source, const QString &target)
{
    Send(source, target);
    return Answer();
}

void TestWorker::convertsOrFailsCleanly_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("target");
    QTest::addColumn<Status>("status");

    using W = PsdWriter;
    const QByteArray good = SmallPsd();
    // These crash DevIL; the sections are checked before any decoder sees them.
    QTest::newRow("in row counts")
        << "a.psd" << W::TruncatedInRowCounts() << "a.jpg" << Status::Unreadable;
    QTest::newRow("resource name length 0xFF")
        << "a.psd" << W::ResourceNameLengthFF() << "a.jpg" << Status::Unreadable;
    // DevIL checks a literal against its buffer a byte late, and black ink not at all.
    QTest::newRow("packed row overruns")
        << "a.psd"
        << W(8, 5, W::Cmyk, [](int, int, int c) { return c * 9000; })
               .SetCompression(W::Rle)
               .SetFirstPackedRow(2, QByteArray::fromHex("08000102030405060708"))
               .Bytes()
        << "a.jpg" << Status::Unreadable;
    QTest::newRow("PSB, 300,000 square")
        << "a.psb" << W::ClaimsHugeSize(true) << "a.jpg" << Status::TooLarge;
    // DevIL leaves an image behind after a failed load, and would save it.
    QTest::newRow("no image") << "a.psd" << QByteArray("text") << "a.jpg" << Status::Unreadable;
    // libjpeg refuses images over 65,500 pixels wide, and DevIL then calls exit(1) with the
    // file half made. Only a PSB may be that wide, which DevIL does not read, so a TGA it is.
    QTest::newRow("encoder exits")
        << "a.tga"
        << QByteArray::fromHex("000002000000000000000000ddff01001800") + QByteArray(196503, '@')
        << "a.jpg" << Status::DecoderStopped;
    // DevIL reports a full disk only on its error stack; a file size limit fails writes alike.
    QTest::newRow("full disk") << "full.psd" << SmallPsd(512, 512) << "a.jpg" << Status::Unwritable;
    // 48 MB of pixels do not fit in 64 MB beside the program and its libraries, but the few
    // rows at a time that our own reader holds do.
    QTest::newRow("out of memory") << "big.psd" << SmallPsd(4000, 4000) << "a.jpg" << Status::Ok;
    // What stands at these targets is made first, and stays as it is.
    QTest::newRow("existing file") << "a.psd" << good << "file.jpg" << Status::AlreadyExists;
    QTest::newRow("dangling link") << "a.psd" << good << "link.jpg" << Status::AlreadyExists;
    QTest::newRow("in a file") << "a.psd" << good << "a.psd/a.jpg" << Status::Unwritable;
    for (const QString &name : QStringList{"Holiday Photos/at the beach", "Ünïcödé 写真/Grüße ☃",
                                           "two\nlines/new\nline", "long/" + QString(251, 'x')})
        QTest::newRow(qPrintable(name.left(30)))
            << name + ".psd" << good << name + ".jpg" << Status::Ok;
}

void TestWorker::convertsOrFailsCleanly()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, target);
    QFETCH(Status, status);

    // Some names set the scene: a file or a dangling link at the target, a worker short of
    // memory or of disk.
    const QString folder = QFileInfo(Path(target)).path();
    if (source.contains('/'))
        QCOMPARE(mkdir(QFile::encodeName(folder), 0755), 0);
    Write(source, bytes);
    if (target == "file.jpg")
        Write(target, "the user's own");
    if (target == "link.jpg")
        QVERIFY(QFile::link("nowhere.jpg", Path(target)));
    if (source == "big.psd")
        Restart({"--address-space-mb", "64"});
    if (source == "full.psd") {
        const rlimit limit{4096, 4096};
        QCOMPARE(prlimit(pid_t(m_worker.processId()), RLIMIT_FSIZE, &limit, nullptr), 0);
    }
    struct stat before = {};
    lstat(QFile::encodeName(Path(target)), &before);
    const QStringList names = NamesIn(folder);

    QCOMPARE(Convert(source, target), status);
    struct stat after = {};
    QCOMPARE(lstat(QFile::encodeName(Path(target)), &after) == 0,
             status == Status::Ok || status == Status::AlreadyExists);
    QVERIFY(status == Status::Ok ||
            (after.st_ino == before.st_ino && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec));
    // No other file is left behind.
    QCOMPARE(NamesIn(folder).size(), names.size() + (status == Status::Ok ? 1 : 0));
}

void TestWorker::startsAfreshAfterAFailedDecode()
{
    // A PSB, which ImageMagick reads; and RGB in two channels, which DevIL refuses only after
    // taking (and leaking) a buffer for its image resources, and ImageMagick refuses too.
    Write("good.psb", PsdWriter(8, 8, PsdWriter::Rgb, Ramp).SetLargeFormat(true).Bytes());
    Write("good.psd", SmallPsd());
    Write("leaky.psd", PsdWriter(8, 8, PsdWriter::Rgb, Ramp)
                           .SetExtraChannels(-1)
                           .AddResource(1000, QByteArray(2 << 20, '\0'))
                           .Bytes());
    const qint64 pid = m_worker.processId();
    const auto magickLoaded = [pid] {
        QFile maps(QString("/proc/%1/maps").arg(pid));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("quillmere-magick.so");
    };
    QCOMPARE(Convert("good.psb", "1.jpg"), Status::Ok);
    QCOMPARE(Convert("good.psd", "2.jpg"), Status::Ok);
    QVERIFY(magickLoaded()); // clean decodes keep the process
    QCOMPARE(Convert("leaky.psd", "3.jpg"), Status::Unreadable);
    QCOMPARE(Convert("good.psd", "4.jpg"), Status::Ok);
    // The same process, started afresh: nothing the failed decoders loaded or left is there.
    QCOMPARE(m_worker.processId(), pid);
    QVERIFY(!magickLoaded());
}

QTEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"
