#include "psdwriter.h"
#include "tempname.h"
#include "wireformat.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using wire::Status;

// Ramps that differ per channel, so a swapped, flipped or mis-scaled channel shows. The low
// byte of a 16-bit sample is noise, which shows if the bytes are taken in the wrong order.
PsdWriter::Samples Ramps(int width, int height)
{
    return [width, height](int x, int y, int channel) {
        int high = 255 - y * 100 / (height - 1); // K, or alpha
        if (channel == 0)
            high = x * 255 / (width - 1);
        else if (channel == 1)
            high = y * 255 / (height - 1);
        else if (channel == 2)
            high = 255 - (x + y) * 255 / (width + height - 2);
        return quint16(high << 8 | ((x * 151 + y * 89) & 0xFF));
    };
}

// What the ramps look like on screen; CMYK is stored inverted, 255 being no ink.
QRgb Expected(PsdWriter::ColorMode mode, const PsdWriter::Samples &samples, int x, int y)
{
    const auto value = [&](int channel) { return samples(x, y, channel) >> 8; };
    if (mode == PsdWriter::Grayscale)
        return qRgb(value(0), value(0), value(0));
    if (mode == PsdWriter::Cmyk)
        return qRgb(value(0) * value(3) / 255, value(1) * value(3) / 255,
                    value(2) * value(3) / 255);
    return qRgb(value(0), value(1), value(2));
}

// Paths are bytes throughout: some of the names tested here are no valid UTF-8.
bool WriteFile(const QByteArray &path, const QByteArray &bytes)
{
    QFile file;
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QByteArray &path)
{
    QFile file;
    const int fd = open(path.constData(), O_RDONLY);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle))
        return {};
    return file.readAll();
}

QList<QByteArray> NamesIn(const QByteArray &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = opendir(folder.constData())) {
        while (const dirent *entry = readdir(dir)) {
            if (QByteArray(".") != entry->d_name && QByteArray("..") != entry->d_name)
                names.append(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

qint64 AddressSpaceKb(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    const qsizetype at = text.indexOf("VmSize:") + 7;
    return text.mid(at, text.indexOf(" kB", at) - at).trimmed().toLongLong();
}

// QProcess::waitForFinished() fails for a process that has ended already.
bool Ended(QProcess &process)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(10000);
}

// One worker process, spoken to over its pipes as the app does.
class Worker
{
public:
    explicit Worker(const QStringList &arguments = {}, const std::function<void()> &childSetup = {},
                    const QString &program = QCoreApplication::applicationDirPath() +
                                             "/quillmere-worker")
    {
        if (childSetup)
            m_process.setChildProcessModifier(childSetup);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, arguments);
        m_process.waitForStarted();
    }
    ~Worker()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }

    void Send(const QByteArray &source, const QByteArray &target)
    {
        m_process.write(QByteArray::fromStdString(
            wire::EncodeRequest({source.toStdString(), target.toStdString()})));
    }
    // The answer; DecoderStopped when the worker ended without one, as the app takes it.
    wire::Response Convert(const QByteArray &source, const QByteArray &target)
    {
        Send(source, target);
        for (bool malformed = false;;) {
            if (std::optional<wire::Response> response = wire::TakeResponse(m_buffer, malformed))
                return *response;
            if (malformed ||
                (m_process.bytesAvailable() == 0 && !m_process.waitForReadyRead(60000)))
                return {Status::DecoderStopped, {}};
            m_buffer += m_process.readAllStandardOutput().toStdString();
        }
    }
    QProcess &Process() { return m_process; }

private:
    QProcess m_process;
    std::string m_buffer;
};

Status ConvertOnce(const QByteArray &source, const QByteArray &target)
{
    return Worker().Convert(source, target).status;
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void convertsPixelForPixel_data();
    void convertsPixelForPixel();
    void damagedFilesFailAndTheNextConverts_data();
    void damagedFilesFailAndTheNextConverts();
    void existingTargetIsLeftAlone_data();
    void existingTargetIsLeftAlone();
    void unwritableTargetFails_data();
    void unwritableTargetFails();
    void relativeTargetIsRefused();
    void awkwardNamesConvert_data();
    void awkwardNamesConvert();
    void staleTemporaryFileIsReplaced();
    void fullDiskLeavesNoFile();
    void encoderExitLeavesNoFile();
    void crashDuringSaveLeavesNoFile();
    void addressSpaceIsLimited_data();
    void addressSpaceIsLimited();
    void leaksDoNotPileUp();
    void worksWithoutImageMagick();
    void streamEnds_data();
    void streamEnds();

private:
    QByteArray Path(const QByteArray &name) const { return m_folder + '/' + name; }
    QByteArray WritePsd(const QByteArray &name, const PsdWriter &writer);
    QByteArray WriteGoodPsd(const QByteArray &name);

    QByteArray m_folder;
};

void TestWorker::init()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/tst_worker-XXXXXX";
    QVERIFY(mkdtemp(pattern.data()));
    m_folder = pattern;
}

// By hand: QDir cannot remove names that are not UTF-8.
void TestWorker::cleanup()
{
    chmod(Path("locked").constData(), 0755);
    nftw(
        m_folder.constData(),
        [](const char *path, const struct stat *, int, FTW *) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

QByteArray TestWorker::WritePsd(const QByteArray &name, const PsdWriter &writer)
{
    if (!WriteFile(Path(name), writer.Bytes()))
        qFatal("cannot write %s", Path(name).constData());
    return Path(name);
}

QByteArray TestWorker::WriteGoodPsd(const QByteArray &name)
{
    return WritePsd(name, PsdWriter(16, 8, PsdWriter::Rgb, Ramps(16, 8)));
}

void TestWorker::convertsPixelForPixel_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("extraChannels");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("compression");

    QTest::newRow("RGB 8-bit raw") << int(PsdWriter::Rgb) << 0 << 8 << int(PsdWriter::Raw);
    QTest::newRow("RGB 8-bit RLE") << int(PsdWriter::Rgb) << 0 << 8 << int(PsdWriter::Rle);
    QTest::newRow("grayscale") << int(PsdWriter::Grayscale) << 0 << 8 << int(PsdWriter::Rle);
    QTest::newRow("CMYK") << int(PsdWriter::Cmyk) << 0 << 8 << int(PsdWriter::Raw);
    QTest::newRow("RGB with alpha") << int(PsdWriter::Rgb) << 1 << 8 << int(PsdWriter::Rle);
    QTest::newRow("RGB 16-bit raw") << int(PsdWriter::Rgb) << 0 << 16 << int(PsdWriter::Raw);
}

void TestWorker::convertsPixelForPixel()
{
    QFETCH(int, mode);
    QFETCH(int, extraChannels);
    QFETCH(int, depth);
    QFETCH(int, compression);

    const int width = 96;
    const int height = 64;
    const auto colorMode = PsdWriter::ColorMode(mode);
    const PsdWriter::Samples samples = Ramps(width, height);
    const QByteArray source =
        WritePsd("picture.psd", PsdWriter(width, height, colorMode, samples)
                                    .SetExtraChannels(extraChannels)
                                    .SetDepth(depth)
                                    .SetCompression(PsdWriter::Compression(compression)));

    const wire::Response response = Worker().Convert(source, Path("picture.jpg"));
    QCOMPARE(response.status, Status::Ok);
    QCOMPARE(response.detail, "devil");
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"picture.jpg", "picture.psd"}));

    const QImage jpeg = QImage::fromData(ReadFile(Path("picture.jpg")), "JPEG");
    QCOMPARE(jpeg.size(), QSize(width, height));
    // Quality 99 keeps smooth ramps within a few levels (5 or 6 with 4:2:0 chroma).
    int worst = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb got = jpeg.pixel(x, y);
            const QRgb want = Expected(colorMode, samples, x, y);
            worst = std::max({worst, std::abs(qRed(got) - qRed(want)),
                              std::abs(qGreen(got) - qGreen(want)),
                              std::abs(qBlue(got) - qBlue(want))});
        }
    }
    QVERIFY2(worst <= 10, qPrintable(QString("worst difference %1").arg(worst)));
}

void TestWorker::damagedFilesFailAndTheNextConverts_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Status>("status");

    // These two crash DevIL; the sections are checked before any decoder sees them.
    QTest::newRow("ends inside the RLE row counts")
        << PsdWriter::TruncatedInRowCounts() << Status::Unreadable;
    QTest::newRow("resource name length 0xFF")
        << PsdWriter::ResourceNameLengthFF() << Status::Unreadable;
    QTest::newRow("PSD claims 300,000 x 300,000")
        << PsdWriter::ClaimsHugeSize(false) << Status::TooLarge;
    QTest::newRow("PSB claims 300,000 x 300,000")
        << PsdWriter::ClaimsHugeSize(true) << Status::TooLarge;
    // DevIL leaves an image behind after a failed load, and would save it.
    QTest::newRow("not an image") << QByteArray("just some text\n") << Status::Unreadable;
    QTest::newRow("empty") << QByteArray() << Status::Unreadable;
}

void TestWorker::damagedFilesFailAndTheNextConverts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Status, status);

    QVERIFY(WriteFile(Path("damaged.psd"), bytes));
    const QByteArray good = WriteGoodPsd("good.psd");
    Worker worker;
    QCOMPARE(worker.Convert(Path("damaged.psd"), Path("damaged.jpg")).status, status);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"damaged.psd", "good.psd"}));
    QCOMPARE(worker.Convert(good, Path("good.jpg")).status, Status::Ok);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"damaged.psd", "good.jpg", "good.psd"}));
}

void TestWorker::existingTargetIsLeftAlone_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::newRow("file") << QByteArray("file");
    QTest::newRow("dangling link") << QByteArray("link");
    QTest::newRow("folder") << QByteArray("folder");
}

void TestWorker::existingTargetIsLeftAlone()
{
    QFETCH(QByteArray, kind);

    const QByteArray source = WriteGoodPsd("a.psd");
    const QByteArray target = Path("a.jpg");
    const QByteArray mine("the user's own a.jpg, not a JPEG at all");
    if (kind == "file")
        QVERIFY(WriteFile(target, mine));
    else if (kind == "link")
        QCOMPARE(symlink("nowhere.jpg", target.constData()), 0);
    else
        QCOMPARE(mkdir(target.constData(), 0755), 0);
    struct stat before = {};
    lstat(target.constData(), &before);

    QCOMPARE(ConvertOnce(source, target), Status::AlreadyExists);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"a.jpg", "a.psd"}));
    struct stat after = {};
    lstat(target.constData(), &after);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_size, before.st_size);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    QCOMPARE(ReadFile(target), kind == "file" ? mine : QByteArray());
}

void TestWorker::unwritableTargetFails_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("folder is a file") << QByteArray("a.psd/a.jpg");
    QTest::newRow("folder is gone") << QByteArray("gone/a.jpg");
    QTest::newRow("read-only folder") << QByteArray("locked/a.jpg");
}

void TestWorker::unwritableTargetFails()
{
    QFETCH(QByteArray, target);

    const QByteArray source = WriteGoodPsd("a.psd");
    if (target.startsWith("locked")) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QCOMPARE(mkdir(Path("locked").constData(), 0555), 0);
    }
    const QList<QByteArray> before = NamesIn(m_folder);
    QCOMPARE(ConvertOnce(source, Path(target)), Status::Unwritable);
    QCOMPARE(NamesIn(m_folder), before);
    QVERIFY(NamesIn(Path("locked")).isEmpty());
}

void TestWorker::relativeTargetIsRefused()
{
    const QByteArray source = WriteGoodPsd("a.psd");
    QVERIFY(QDir::setCurrent(QFile::decodeName(m_folder)));
    const Status status = ConvertOnce(source, "a.jpg");
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    QCOMPARE(status, Status::Unwritable);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"a.psd"}));
}

void TestWorker::awkwardNamesConvert_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("spaces") << QByteArray("Holiday Photos") << QByteArray("at the beach");
    QTest::newRow("non-ASCII") << QByteArray("Ünïcödé 写真") << QByteArray("Grüße ☃");
    QTest::newRow("newline") << QByteArray("two\nlines") << QByteArray("new\nline");
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9") << QByteArray("\xff\xfe name");
    // Its temporary name has to be shortened to fit.
    QTest::newRow("255-byte name") << QByteArray("long") << QByteArray(251, 'x');
}

void TestWorker::awkwardNamesConvert()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);

    QCOMPARE(mkdir(Path(folder).constData(), 0755), 0);
    const QByteArray source = WriteGoodPsd(folder + '/' + name + ".psd");
    const QByteArray target = Path(folder + '/' + name + ".jpg");
    QCOMPARE(ConvertOnce(source, target), Status::Ok);
    QCOMPARE(NamesIn(Path(folder)), QList<QByteArray>({name + ".jpg", name + ".psd"}));
    QCOMPARE(QImage::fromData(ReadFile(target), "JPEG").size(), QSize(16, 8));
}

void TestWorker::staleTemporaryFileIsReplaced()
{
    const QByteArray source = WriteGoodPsd("a.psd");
    const QByteArray target = Path("a.jpg");
    Worker worker;
    // Left by an earlier worker that had the same process id; DevIL would refuse to save over it.
    QVERIFY(WriteFile(QByteArray::fromStdString(
                          TemporaryTargetFor(target.toStdString(), worker.Process().processId())),
                      "half a JPEG"));
    QCOMPARE(worker.Convert(source, target).status, Status::Ok);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"a.jpg", "a.psd"}));
}

void TestWorker::fullDiskLeavesNoFile()
{
    // DevIL reports a full disk only on its error stack. A file size limit fails writes the
    // same way, without a mount.
    Worker worker({}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    const QByteArray source =
        WritePsd("big.psd", PsdWriter(512, 512, PsdWriter::Rgb, [](int x, int y, int c) {
                     return quint16(qHash(x, y * 4 + c));
                 }));
    QCOMPARE(worker.Convert(source, Path("big.jpg")).status, Status::Unwritable);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"big.psd"}));
}

void TestWorker::encoderExitLeavesNoFile()
{
    // libjpeg refuses images over 65,500 pixels wide, and DevIL then calls exit(1) with the
    // file half made. Only a PSB may be that wide, which DevIL does not read, so a TGA it is.
    const int width = 65501;
    QByteArray tga(18, '\0');
    tga[2] = 2; // uncompressed true colour
    tga[12] = char(width & 0xFF);
    tga[13] = char(width >> 8);
    tga[14] = 1; // one row
    tga[16] = 24;
    QVERIFY(WriteFile(Path("wide.tga"), tga + QByteArray(3 * width, char(0x40))));

    Worker worker;
    QCOMPARE(worker.Convert(Path("wide.tga"), Path("wide.jpg")).status, Status::DecoderStopped);
    QVERIFY(Ended(worker.Process()));
    QCOMPARE(worker.Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(worker.Process().exitCode(), 1);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"wide.tga"}));
}

void TestWorker::crashDuringSaveLeavesNoFile()
{
    const QByteArray source = WritePsd(
        "large.psd",
        PsdWriter(3000, 3000, PsdWriter::Rgb, Ramps(3000, 3000)).SetCompression(PsdWriter::Rle));
    const QByteArray target = Path("large.jpg");
    Worker worker;
    const auto pid = pid_t(worker.Process().processId());
    const std::string temporary = TemporaryTargetFor(target.toStdString(), pid);
    worker.Send(source, target);
    worker.Process().waitForBytesWritten();

    // Catch the worker with its temporary file half written, and crash it there.
    const QDeadlineTimer deadline(30000);
    while (access(temporary.c_str(), F_OK) != 0 && access(target.constData(), F_OK) != 0 &&
           !deadline.hasExpired())
        usleep(100);
    kill(pid, SIGSTOP);
    if (access(temporary.c_str(), F_OK) != 0) {
        kill(pid, SIGCONT);
        QSKIP("the save finished before the worker could be stopped");
    }
    kill(pid, SIGSEGV);
    kill(pid, SIGCONT);
    QVERIFY(Ended(worker.Process()));
    QCOMPARE(worker.Process().exitStatus(), QProcess::CrashExit);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({"large.psd"}));
}

void TestWorker::addressSpaceIsLimited_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("psb");
    QTest::newRow("DevIL") << QByteArray("large.psd") << false;
    QTest::newRow("ImageMagick") << QByteArray("large.psb") << true;
}

void TestWorker::addressSpaceIsLimited()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, psb);

    const QByteArray source =
        WritePsd(name, PsdWriter(4000, 4000, PsdWriter::Rgb, Ramps(4000, 4000))
                           .SetCompression(PsdWriter::Rle)
                           .SetLargeFormat(psb));
    // 48 MB of pixels do not fit in 64 MB beside the program and its libraries.
    QCOMPARE_NE(Worker({"--address-space-mb", "64"}).Convert(source, Path("large.jpg")).status,
                Status::Ok);
    QCOMPARE(NamesIn(m_folder), QList<QByteArray>({name}));
    QCOMPARE(ConvertOnce(source, Path("large.jpg")), Status::Ok);
}

void TestWorker::leaksDoNotPileUp()
{
    // DevIL forgets to free the 2 MB it took for this file's resources; ImageMagick, tried
    // next, refuses it too.
    const QByteArray leaky = Path("leaky.psd");
    QVERIFY(WriteFile(leaky, PsdWriter::TooFewChannels(2 << 20)));
    Worker worker;
    const qint64 pid = worker.Process().processId();
    const qint64 before = AddressSpaceKb(pid);
    for (int i = 0; i < 80; ++i)
        QCOMPARE(worker.Convert(leaky, Path("leaky.jpg")).status, Status::Unreadable);
    const qint64 grown = AddressSpaceKb(pid) - before;
    QVERIFY2(grown < 100 * 1024, qPrintable(QString("grew by %1 kB").arg(grown)));

    QCOMPARE(worker.Convert(WriteGoodPsd("good.psd"), Path("good.jpg")).status, Status::Ok);
    QCOMPARE(worker.Process().processId(), pid);
}

void TestWorker::worksWithoutImageMagick()
{
    // A worker whose ImageMagick module went missing still converts what DevIL reads.
    const QString program = QFile::decodeName(Path("quillmere-worker"));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/quillmere-worker", program));
    const QByteArray psd = WriteGoodPsd("good.psd");
    const QByteArray psb =
        WritePsd("large.psb", PsdWriter(16, 8, PsdWriter::Rgb, Ramps(16, 8)).SetLargeFormat(true));

    Worker worker({}, {}, program);
    const wire::Response response = worker.Convert(psb, Path("large.jpg"));
    QCOMPARE(response.status, Status::Unreadable);
    QVERIFY2(QByteArray::fromStdString(response.detail).contains("ImageMagick"),
             response.detail.c_str());
    QCOMPARE(worker.Convert(psd, Path("good.jpg")).status, Status::Ok);
    QVERIFY(QFile::exists(QFile::decodeName(Path("good.jpg"))));
    QVERIFY(!QFile::exists(QFile::decodeName(Path("large.jpg"))));
}

void TestWorker::streamEnds_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("clean");

    const QByteArray request = QByteArray::fromStdString(wire::EncodeRequest({"/a.psd", "/a.jpg"}));
    QTest::newRow("end of input") << QByteArray() << true;
    QTest::newRow("unknown message") << QByteArray("X") << false;
    QTest::newRow("cut short") << request.chopped(1) << false;
    QTest::newRow("absurd length") << QByteArray("C\xff\xff\xff\xff", 5) << false;
}

void TestWorker::streamEnds()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, clean);

    Worker worker;
    worker.Process().write(input);
    worker.Process().closeWriteChannel();
    QVERIFY(Ended(worker.Process()));
    QCOMPARE(worker.Process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(worker.Process().exitCode() == 0, clean);
    QVERIFY(worker.Process().readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestWorker)
#include "tst_worker.moc"
