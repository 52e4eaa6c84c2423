#include "conversionrun.h"
#include "filelist.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "recordingwindow.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

namespace
{

constexpr int Width = 64;
constexpr int Height = 48;

// Smooth ramps, a different one per channel, with noise in the low byte of 16-bit samples.
quint16 Ramp(int x, int y, int channel)
{
    const int high = channel == 0   ? x * 255 / (Width - 1)
                     : channel == 1 ? y * 255 / (Height - 1)
                                    : 255 - (x + y) * 255 / (Width + Height - 2);
    return quint16(high << 8 | ((x * 151 + y * 89) & 0xFF));
}

// Clear at the left, opaque at the right.
int Alpha(int x)
{
    return std::clamp((x - Width / 4) * 255 / (Width / 2), 0, 255);
}

// As writers other than Photoshop store a merged image with transparency: blended on white,
// except where nothing shows, which they leave black.
quint16 BlackWhereClear(int x, int y, int channel)
{
    if (channel == 3)
        return quint16(Alpha(x) * 257);
    return Alpha(x) == 0 ? 0 : Ramp(x, y, channel);
}

QImage Picture(const std::function<QRgb(int, int)> &pixel)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            image.setPixel(x, y, pixel(x, y));
    }
    return image;
}

QImage RampPicture()
{
    return Picture([](int x, int y) {
        return qRgb(Ramp(x, y, 0) >> 8, Ramp(x, y, 1) >> 8, Ramp(x, y, 2) >> 8);
    });
}

// Columns near a sharp edge are left out: 4:2:0 chroma smears colour across it.
int WorstDifference(const QImage &got, const QImage &want, int edge)
{
    int worst = 0;
    for (int y = 0; y < want.height(); ++y) {
        for (int x = 0; x < want.width(); ++x) {
            if (std::abs(x - edge) <= 2)
                continue;
            const QRgb a = got.pixel(x, y);
            const QRgb b = want.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    }
    return worst;
}

// Of two decoded JPEG files, as the corpus's references are scored; infinity when identical.
double Psnr(const QImage &a, const QImage &b)
{
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += double(d) * d;
        }
    }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 * 3 * a.width() * a.height() / squares);
}

RunReport ConvertAll(const QStringList &paths)
{
    FileList list;
    for (const QString &path : paths)
        list.AppendPath(path);
    RecordingWindow window;
    ConversionRun run(window, list);
    return run.Run();
}

} // namespace

class TestDecoders : public QObject
{
    Q_OBJECT

private slots:
    void routesAndRenders_data();
    void routesAndRenders();
    void neitherDecoderReadsIt();
    void corpusMatchesReferences();
};

void TestDecoders::routesAndRenders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("decoder");
    QTest::addColumn<QImage>("expected");
    QTest::addColumn<int>("edge"); // where the picture turns from clear to visible, or -10

    const PsdWriter plain =
        PsdWriter(Width, Height, PsdWriter::Rgb, Ramp).SetCompression(PsdWriter::Rle);
    QTest::newRow("8-bit RLE, read by DevIL")
        << "plain.psd" << plain.Bytes() << "devil" << RampPicture() << -10;
    QTest::newRow("PSB") << "large.psb" << PsdWriter(plain).SetLargeFormat(true).Bytes() << "magick"
                         << RampPicture() << -10;
    QTest::newRow("16-bit RLE") << "deep.psd" << PsdWriter(plain).SetDepth(16).Bytes() << "magick"
                                << RampPicture() << -10;

    // Photoshop saved it without a real composite: the merged image is a white stand-in, and
    // the picture has to be rebuilt from the layer, whose transparency is straight.
    const QByteArray standIn =
        PsdWriter(Width, Height, PsdWriter::Rgb, [](int, int, int) { return quint16(0xFFFF); })
            .AddResource(1057, PsdWriter::VersionInfo("Adobe Photoshop", false))
            .SetLayer([](int x, int y,
                         int c) { return c == 3 ? quint16(Alpha(x) * 257) : Ramp(x, y, c); },
                      false)
            .Bytes();
    QTest::newRow("no real composite")
        << "standin.psd" << standIn << "magick" << Picture([](int x, int y) {
               const auto onWhite = [&](int c) {
                   return ((Ramp(x, y, c) >> 8) * Alpha(x) + 255 * (255 - Alpha(x)) + 127) / 255;
               };
               return qRgb(onWhite(0), onWhite(1), onWhite(2));
           })
        << -10;

    // Some writers call a real picture a stand-in; DevIL shows it as it is.
    QTest::newRow("real picture called a stand-in")
        << "sketch.psd"
        << PsdWriter(plain).AddResource(1057, PsdWriter::VersionInfo("Sketch", false)).Bytes()
        << "devil" << RampPicture() << -10;

    const auto transparent = [](const QString &writer) {
        return PsdWriter(Width, Height, PsdWriter::Rgb, BlackWhereClear)
            .SetExtraChannels(1)
            .SetCompression(PsdWriter::Rle)
            .AddResource(1057, PsdWriter::VersionInfo(writer, true))
            .SetLayer(BlackWhereClear, true)
            .Bytes();
    };
    const QImage whiteWhereClear = Picture([](int x, int y) {
        return Alpha(x) == 0 ? qRgb(255, 255, 255) : RampPicture().pixel(x, y);
    });
    QTest::newRow("transparent, not from Photoshop")
        << "cutout.psd" << transparent("ag-psd") << "magick" << whiteWhereClear << Width / 4;
    // Photoshop's composite is blended on white already, and DevIL shows it as stored.
    QTest::newRow("transparent, from Photoshop")
        << "photoshop.psd" << transparent("Adobe Photoshop") << "devil"
        << Picture([](int x, int y) {
               return qRgb(BlackWhereClear(x, y, 0) >> 8, BlackWhereClear(x, y, 1) >> 8,
                           BlackWhereClear(x, y, 2) >> 8);
           })
        << Width / 4;
}

void TestDecoders::routesAndRenders()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, decoder);
    QFETCH(QImage, expected);
    QFETCH(int, edge);

    const QTemporaryDir dir;
    const RunReport report = ConvertAll({WriteFile(dir, name, bytes)});
    QCOMPARE(report.entries.size(), 1);
    QCOMPARE(report.entries[0].status, wire::Status::Ok);
    QCOMPARE(report.entries[0].detail, decoder);

    const QImage jpeg(report.entries[0].target, "JPEG");
    QCOMPARE(jpeg.size(), expected.size());
    // Quality 99 keeps these within a few levels, also at the edge of the clear part.
    const int worst = WorstDifference(jpeg, expected, edge);
    QVERIFY2(worst <= 12, qPrintable(QString("worst difference %1").arg(worst)));
}

void TestDecoders::neitherDecoderReadsIt()
{
    // ZIP-compressed merged data, which neither DevIL nor this ImageMagick reads.
    QByteArray bytes = PsdWriter(8, 8, PsdWriter::Rgb, Ramp).Bytes();
    const qsizetype compression = bytes.size() - 3 * 8 * 8 - 2;
    bytes[compression + 1] = 2;
    const QTemporaryDir dir;
    const RunReport report = ConvertAll({WriteFile(dir, "zip.psd", bytes)});
    QCOMPARE(report.entries[0].status, wire::Status::Unreadable);
    QVERIFY(!report.entries[0].detail.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"zip.psd"});
}

void TestDecoders::corpusMatchesReferences()
{
    const QDir corpus(QStringLiteral(QUILLMERE_CORPUS_DIR));
    const QStringList names =
        corpus.entryList({QStringLiteral("*.psd"), QStringLiteral("*.psb")}, QDir::Files);
    if (names.isEmpty())
        QSKIP("no corpus beside this checkout");
    // Copies, so the targets land in our folder; one folder each keeps X.psd and X.psb apart.
    const QTemporaryDir dir;
    QStringList copies;
    for (const QString &name : names) {
        QVERIFY(QDir(dir.path()).mkdir(name));
        copies.append(dir.filePath(name + '/' + name));
        QVERIFY(QFile::copy(corpus.filePath(name), copies.last()));
    }
    const RunReport report = ConvertAll(copies);
    QCOMPARE(report.entries.size(), names.size());

    int referenced = 0;
    int faithful = 0;
    qInfo("%-40s %-8s %s", "file", "decoder", "dB");
    for (int i = 0; i < names.size(); ++i) {
        const EntryResult &entry = report.entries[i];
        // Every failure has a reason, and none is a decoder that stopped.
        QVERIFY2(entry.status != wire::Status::DecoderStopped, qPrintable(names[i]));
        const QString reference = corpus.filePath("ref/" + names[i] + ".png");
        double db = -1;
        if (QFile::exists(reference)) {
            ++referenced;
            // The reference through the same JPEG settings: quality 99, 4:2:0.
            const QString encoded = dir.filePath(names[i] + "/reference.jpg");
            const int exit =
                QProcess::execute("convert", {"-quiet", reference, "-quality", "99",
                                              "-sampling-factor", "2x2,1x1,1x1", encoded});
            QVERIFY2(exit == 0, "ImageMagick's convert is needed to score the corpus");
            const QImage ours(entry.target, "JPEG");
            const QImage theirs(encoded, "JPEG");
            if (entry.status == wire::Status::Ok && ours.size() == theirs.size())
                db = Psnr(ours, theirs);
            faithful += db >= 40 ? 1 : 0;
        }
        const QString result = entry.status == wire::Status::Ok ? QString::number(db, 'f', 1)
                                                                : "failed: " + entry.detail;
        qInfo("%-40s %-8s %s", qPrintable(names[i]),
              qPrintable(entry.status == wire::Status::Ok ? entry.detail : "-"),
              qPrintable(result));
    }
    qInfo("%d of %d files with a reference score 40 dB or more", faithful, referenced);
    QVERIFY2(faithful >= referenced - 2, qPrintable(QString::number(faithful)));

    const int truncated = names.indexOf("pt_group-divider-blend-mode.psd");
    QVERIFY(truncated >= 0);
    QCOMPARE(report.entries[truncated].status, wire::Status::Unreadable);
    QVERIFY(!report.entries[truncated].detail.isEmpty());
}

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
