#include "conversionrun.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "runtoend.h"

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

// Clear at the left, opaque at the right.
int Alpha(int x)
{
    return std::clamp((x - Width / 4) * 255 / (Width / 2), 0, 255);
}

// A smooth ramp per channel, the fourth (black ink, or alpha) darkening downwards, so that a
// swapped, flipped or mis-scaled channel shows; the low byte of 16-bit samples is noise, which
// shows if their bytes are taken in the wrong order.
quint16 Ramp(int x, int y, int channel)
{
    const int ramps[] = {x * 255 / (Width - 1), y * 255 / (Height - 1),
                         255 - (x + y) * 255 / (Width + Height - 2), 255 - y * 100 / (Height - 1)};
    return quint16(ramps[channel % 4] << 8 | ((x * 151 + y * 89) & 0xFF));
}

// The ramps, with the transparency of Alpha as their fourth channel.
quint16 Cutout(int x, int y, int channel)
{
    return channel == 3 ? quint16(Alpha(x) * 257) : Ramp(x, y, channel);
}

// How the ramps should show: as stored, in grey, as CMYK ink, flattened onto white by their
// alpha, or white where wholly clear.
enum Look { Stored, Grey, Ink, OnWhite, WhiteWhereClear, Nothing };

QImage Expected(Look look)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const auto v = [&](int c) { return Ramp(x, y, c) >> 8; };
            const int a =
                look == OnWhite || (look == WhiteWhereClear && Alpha(x) == 0) ? Alpha(x) : 255;
            const auto shown = [&](int c) {
                return look == Grey  ? v(0)
                       : look == Ink ? v(c) * v(3) / 255
                                     : (v(c) * a + 255 * (255 - a) + 127) / 255;
            };
            image.setPixel(x, y, qRgb(shown(0), shown(1), shown(2)));
        }
    }
    return look == Nothing ? QImage() : image;
}

// Of two decoded images, as the corpus's references are scored: infinity when identical, 0 when
// their sizes differ. Columns near a sharp edge may be left out: 4:2:0 chroma smears colour
// across it.
double Psnr(const QImage &a, const QImage &b, int edge = -10)
{
    if (a.size() != b.size())
        return 0;
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                squares += std::abs(x - edge) <= 2 ? 0 : double(d) * d;
        }
    }
    return squares == 0 ? std::numeric_limits<double>::infinity()
                        : 10 * std::log10(255.0 * 255.0 * 3 * a.width() * a.height() / squares);
}

RunReport ConvertAll(const QStringList &paths)
{
    QByteArrayList sources;
    for (const QString &path : paths)
        sources << QFile::encodeName(path);
    ConversionRun run;
    return RunToEnd(run, sources);
}

} // namespace

class TestDecoders : public QObject
{
    Q_OBJECT

private slots:
    void convertsPixelForPixel_data();
    void convertsPixelForPixel();
    void corpusMatchesReferences();
};

void TestDecoders::convertsPixelForPixel_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("decoder"); // or "" where neither decoder reads it
    QTest::addColumn<int>("look");

    using W = PsdWriter;
    const W rgb(Width, Height, W::Rgb, Ramp);
    const W rle = W(rgb).SetCompression(W::Rle);
    // Photoshop saved it without a real composite: the merged image is a white stand-in, and
    // the picture is rebuilt from the layer, whose transparency is straight.
    const QByteArray standIn = W(Width, Height, W::Rgb, [](int, int, int) { return 0xFFFF; })
                                   .AddResource(1057, W::VersionInfo("Adobe Photoshop", false))
                                   .SetLayer(Cutout, false)
                                   .Bytes();
    // The first extra channel is the merged image's transparency.
    const auto transparent = [](const QString &writer) {
        return W(Width, Height, W::Rgb, Cutout)
            .SetExtraChannels(1)
            .SetLayer(Cutout, true)
            .AddResource(1057, W::VersionInfo(writer, true))
            .Bytes();
    };
    // ZIP-compressed merged data, which neither DevIL nor this ImageMagick reads.
    QByteArray zip = rgb.Bytes();
    zip[zip.size() - 3 * Width * Height - 1] = 2;

    QTest::newRow("RGB raw") << rgb.Bytes() << "devil" << int(Stored);
    QTest::newRow("RGB RLE") << rle.Bytes() << "devil" << int(Stored);
    QTest::newRow("grey") << W(Width, Height, W::Grayscale, Ramp).SetCompression(W::Rle).Bytes()
                          << "devil" << int(Grey);
    QTest::newRow("CMYK") << W(Width, Height, W::Cmyk, Ramp).Bytes() << "devil" << int(Ink);
    // Alpha without layers says nothing about how the picture shows.
    QTest::newRow("RGB and alpha") << W(rle).SetExtraChannels(1).Bytes() << "devil" << int(Stored);
    QTest::newRow("RGB 16-bit raw") << W(rgb).SetDepth(16).Bytes() << "devil" << int(Stored);
    // A PSB named .psd: the header decides, never the name.
    QTest::newRow("PSB") << W(rle).SetLargeFormat(true).Bytes() << "magick" << int(Stored);
    QTest::newRow("16-bit RLE") << W(rle).SetDepth(16).Bytes() << "magick" << int(Stored);
    QTest::newRow("no real composite") << standIn << "magick" << int(OnWhite);
    // Some writers call a real picture a stand-in; DevIL shows it as it is.
    QTest::newRow("a picture called a stand-in")
        << W(rle).AddResource(1057, W::VersionInfo("Sketch", false)).Bytes() << "devil"
        << int(Stored);
    QTest::newRow("transparent, not from Photoshop")
        << transparent("ag-psd") << "magick" << int(WhiteWhereClear);
    // Photoshop's composite is blended on white already, and DevIL shows it as stored.
    QTest::newRow("transparent, from Photoshop")
        << transparent("Adobe Photoshop") << "devil" << int(Stored);
    QTest::newRow("neither") << zip << "" << int(Nothing);
}

void TestDecoders::convertsPixelForPixel()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, decoder);
    QFETCH(int, look);

    const QTemporaryDir dir;
    const EntryResult entry = ConvertAll({WriteFile(dir, "a.psd", bytes)}).entries.value(0);
    QCOMPARE(entry.status, decoder.isEmpty() ? wire::Status::Unreadable : wire::Status::Ok);
    // The decoder that served it, or why neither could.
    QVERIFY2(decoder.isEmpty() ? !entry.detail.isEmpty() : entry.detail == decoder,
             qPrintable(entry.detail));
    // Quality 99 keeps these well within JPEG error; a wrong rendering scores below 30 dB.
    const double db = Psnr(QImage(dir.filePath("a.jpg")), Expected(Look(look)), Width / 4);
    QVERIFY2(db >= 40, qPrintable(QString::number(db)));
}

void TestDecoders::corpusMatchesReferences()
{
    const QDir corpus(QStringLiteral(QUILLMERE_CORPUS_DIR));
    const QStringList names = corpus.entryList({"*.psd", "*.psb"}, QDir::Files);
    if (names.isEmpty())
        QSKIP("no corpus beside this checkout");
    // Copies, so the targets land in our folder; X.psd becomes X_psd.psd, apart from X.psb.
    const QTemporaryDir dir;
    QStringList copies;
    for (const QString &name : names) {
        copies.append(dir.filePath(QString(name).replace('.', '_') + name.right(4)));
        QVERIFY(QFile::copy(corpus.filePath(name), copies.last()));
    }
    const RunReport report = ConvertAll(copies);

    int referenced = 0;
    int faithful = 0;
    for (int i = 0; i < names.size(); ++i) {
        const EntryResult entry = report.entries.value(i);
        // Every failure has a reason, and none is a decoder that stopped.
        QVERIFY2(entry.status != wire::Status::DecoderStopped, qPrintable(names[i]));
        // The reference through the same JPEG settings: quality 99, 4:2:0.
        const QString reference = corpus.filePath("ref/" + names[i] + ".png");
        const QString encoded = dir.filePath(names[i] + ".reference.jpg");
        const bool scored =
            QFile::exists(reference) &&
            QProcess::execute("convert", {"-quiet", reference, "-quality", "99", "-sampling-factor",
                                          "2x2,1x1,1x1", encoded}) == 0;
        const double db = scored ? Psnr(QImage(entry.target), QImage(encoded)) : -1;
        referenced += scored ? 1 : 0;
        faithful += db >= 40 ? 1 : 0;
        qInfo("%-40s %-8s %s", qPrintable(names[i]), qPrintable(db >= 0 ? entry.detail : "-"),
              qPrintable(entry.status == wire::Status::Ok ? QString::number(db, 'f', 1)
                                                          : "failed: " + entry.detail));
    }
    qInfo("%d of %d files with a reference score 40 dB or more", faithful, referenced);
    QVERIFY2(faithful >= referenced - 2, qPrintable(QString::number(faithful)));
    const EntryResult truncated =
        report.entries.value(names.indexOf("pt_group-divider-blend-mode.psd"));
    QCOMPARE(truncated.status, wire::Status::Unreadable);
    QVERIFY(!truncated.detail.isEmpty());
}

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
