#include "run/conversionrun.h"
#include "support/fixtures.h"
#include "support/psdwriter.h"
#include "worker/decodeplan.h"
#include "worker/stream/streamconversion.h"

#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace
{

// Odd sizes, so that the half-size chroma has a ragged edge.
constexpr int Width = 61;
constexpr int Height = 47;

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

// The ramps matted on white by the alpha of Cutout, as Photoshop and GIMP store a composite.
quint16 Matted(int x, int y, int channel)
{
    if (channel == 3)
        return Cutout(x, y, 3);
    return quint16(((Ramp(x, y, channel) >> 8) * Alpha(x) + 255 * (255 - Alpha(x)) + 127) / 255
                   << 8);
}

// How the ramps should show: as stored, in grey, as CMYK ink, or flattened onto white by their
// alpha.
enum Look { Stored, Grey, Ink, OnWhite };

QImage Expected(Look look)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const auto v = [&](int c) { return Ramp(x, y, c) >> 8; };
            const int a = look == OnWhite ? Alpha(x) : 255;
            const auto shown = [&](int c) {
                return look == Grey  ? v(0)
                       : look == Ink ? v(c) * v(3) / 255
                                     : (v(c) * a + 255 * (255 - a) + 127) / 255;
            };
            image.setPixel(x, y, qRgb(shown(0), shown(1), shown(2)));
        }
    }
    return image;
}

// sRGB's blue at the left, as ICC Lab (D50) gives it, and Lab's middle grey at the right; the
// edge where the ramps' transparency starts, which the comparison leaves out.
quint16 LabHalves(int x, int, int channel)
{
    const int left[] = {75, 196, 16}; // L 29.6, a 68.3, b -112.0
    const int right[] = {128, 128, 128};
    return quint16((x < Width / 4 ? left : right)[channel] << 8);
}

QImage LabHalvesShown()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(qRgb(119, 119, 119)); // L* 50.2
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width / 4; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    }
    return image;
}

// The CMYK ramps with a profile embedded, and how ImageMagick's own colour management shows
// them; both empty when no CMYK profile is installed.
std::pair<QByteArray, QImage> CmykThroughProfile()
{
    const QByteArray cmyk = SystemProfile("default_cmyk.icc");
    const QByteArray srgb = SystemProfile("srgb.icc");
    const QTemporaryDir dir;
    QByteArray ink; // as ImageMagick reads raw CMYK: 0 is no ink
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            for (int c = 0; c < 4; ++c)
                ink += char(255 - (Ramp(x, y, c) >> 8));
        }
    }
    const QString shown = dir.filePath("shown.png");
    if (cmyk.isEmpty() || srgb.isEmpty() ||
        QProcess::execute("convert", {"-size", QString("%1x%2").arg(Width).arg(Height), "-depth",
                                      "8", "cmyk:" + WriteFile(dir, "ink.raw", ink), "-profile",
                                      WriteFile(dir, "cmyk.icc", cmyk), "-intent", "relative",
                                      "-black-point-compensation", "-profile",
                                      WriteFile(dir, "srgb.icc", srgb), shown}) != 0)
        return {};
    return {PsdWriter(Width, Height, PsdWriter::Cmyk, Ramp).AddResource(1039, cmyk).Bytes(),
            QImage(shown)};
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
    void streamsBeyondImageMagicksLimit();
};

void TestDecoders::convertsPixelForPixel_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("decoder"); // and the colour step's word; "" where none reads it
    QTest::addColumn<QImage>("expected");
    // Our own reader, which takes what is too large for the decoders, also makes it.
    QTest::addColumn<bool>("streamed");

    using W = PsdWriter;
    const W rgb(Width, Height, W::Rgb, Ramp);
    const W rle = W(rgb).SetCompression(W::Rle);
    // Photoshop saved it without a real composite: the merged image is a white stand-in, and
    // the picture is rebuilt from the layer, whose transparency is straight.
    const QByteArray standIn = W(Width, Height, W::Rgb, [](int, int, int) { return 0xFFFF; })
                                   .AddResource(1057, W::VersionInfo("Adobe Photoshop", false))
                                   .SetLayer(Cutout, false)
                                   .Bytes();
    // The first extra channel is the merged image's transparency; the writer's name, if any,
    // is in resource 1057.
    const auto transparent = [](const QString &writer, const W::Samples &merged,
                                Compression compression = W::Raw) {
        W file = W(Width, Height, W::Rgb, merged).SetExtraChannels(1).SetLayer(Cutout, true);
        file.SetCompression(compression);
        return (writer.isEmpty() ? file : file.AddResource(1057, W::VersionInfo(writer, true)))
            .Bytes();
    };
    const auto [cmykWithProfile, cmykShown] = CmykThroughProfile();
    // ZIP-compressed merged data, which neither DevIL nor this ImageMagick reads.
    QByteArray zip = rgb.Bytes();
    zip[zip.size() - 3 * Width * Height - 1] = 2;

    const QImage stored = Expected(Stored);
    QTest::newRow("RGB raw") << rgb.Bytes() << "devil" << stored << true;
    QTest::newRow("RGB RLE") << rle.Bytes() << "devil" << stored << true;
    QTest::newRow("grey") << W(Width, Height, W::Grayscale, Ramp).SetCompression(W::Rle).Bytes()
                          << "devil" << Expected(Grey) << true;
    QTest::newRow("CMYK RLE") << W(Width, Height, W::Cmyk, Ramp).SetCompression(W::Rle).Bytes()
                              << "devil" << Expected(Ink) << true;
    // Alpha without layers says nothing about how the picture shows.
    QTest::newRow("RGB and alpha")
        << W(rle).SetExtraChannels(1).Bytes() << "devil" << stored << true;
    QTest::newRow("RGB 16-bit raw") << W(rgb).SetDepth(16).Bytes() << "devil" << stored << true;
    // A PSB named .psd: the header decides, never the name.
    QTest::newRow("PSB") << W(rle).SetLargeFormat(true).Bytes() << "magick" << stored << true;
    QTest::newRow("16-bit RLE") << W(rle).SetDepth(16).Bytes() << "magick" << stored << true;
    // Neither DevIL nor ImageMagick reads ZIP data, nor DevIL 32-bit data.
    QTest::newRow("ZIP with prediction")
        << W(rgb).SetCompression(W::ZipPredicted).Bytes() << "reader" << stored << true;
    QTest::newRow("16-bit ZIP with prediction")
        << W(rgb).SetDepth(16).SetCompression(W::ZipPredicted).Bytes() << "reader" << stored
        << true;
    QTest::newRow("32-bit ZIP with prediction")
        << W(rgb).SetDepth(32).SetCompression(W::ZipPredicted).Bytes() << "reader" << stored
        << true;
    QTest::newRow("no real composite") << standIn << "layers" << Expected(OnWhite) << false;
    // The data tell how a writer that is not Photoshop stored its composite.
    QTest::newRow("transparent, unmatted")
        << transparent("ag-psd", Cutout) << "magick" << Expected(OnWhite) << true;
    // Whether the writer blended the colour on white takes our reader a first pass over the
    // rows; the run has ImageMagick rebuild this one from its layer.
    QTest::newRow("transparent, unmatted, ZIP")
        << transparent("ag-psd", Cutout, W::Zip) << "magick" << Expected(OnWhite) << true;
    QTest::newRow("transparent, matted, no writer named")
        << transparent("", Matted) << "magick" << Expected(OnWhite) << true;
    // Photoshop's composite is blended on white already, and DevIL shows it as stored.
    QTest::newRow("transparent, from Photoshop")
        << transparent("Adobe Photoshop", Cutout) << "devil" << stored << true;
    QTest::newRow("transparent, from Photoshop by its metadata")
        << W(Width, Height, W::Rgb, Cutout)
               .SetExtraChannels(1)
               .SetLayer(Cutout, true)
               .AddResource(1060,
                            "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\""
                            "http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                            "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
                            "xmp:CreatorTool=\"Adobe Photoshop 25.0\"/></rdf:RDF></x:xmpmeta>")
               .Bytes()
        << "devil" << stored << true;
    QTest::newRow("CMYK with a profile") << cmykWithProfile << "magick" << cmykShown << true;
    QTest::newRow("Lab") << W(Width, Height, W::Lab, LabHalves).Bytes() << "magick"
                         << LabHalvesShown() << true;
    // A profile that is no use converts as if there were none, and says so. (No bytes: the
    // profile is not installed.)
    const QByteArray cmykProfile = SystemProfile("default_cmyk.icc");
    const auto tagged = [&](W file, const QByteArray &profile) {
        return profile.isEmpty() ? QByteArray() : file.AddResource(1039, profile).Bytes();
    };
    const QString ignored = "damaged colour profile ignored";
    QTest::newRow("damaged profile")
        << tagged(rle, "no profile") << "devil, " + ignored << stored << true;
    QTest::newRow("truncated profile")
        << tagged(W(Width, Height, W::Cmyk, Ramp), cmykProfile.left(300)) << "magick, " + ignored
        << Expected(Ink) << true;
    QTest::newRow("profile of another mode")
        << tagged(rle, cmykProfile) << "devil, colour profile of another colour mode ignored"
        << stored << true;
    QTest::newRow("32-bit grey") << W(Width, Height, W::Grayscale, Ramp).SetDepth(32).Bytes()
                                 << "magick" << Expected(Grey) << true;
    QTest::newRow("neither") << zip << "" << QImage() << false;
}

void TestDecoders::convertsPixelForPixel()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, decoder);
    QFETCH(QImage, expected);
    QFETCH(bool, streamed);

    if (bytes.isEmpty())
        QSKIP("no colour profiles installed (libgs-common)");
    const QTemporaryDir dir;
    const QString source = WriteFile(dir, "a.psd", bytes);
    const EntryResult entry = ConvertAll({source}).entries.value(0);
    QCOMPARE(entry.status, decoder.isEmpty() ? wire::Status::Unreadable : wire::Status::Ok);
    // The decoder that served it, or why neither could.
    QVERIFY2(decoder.isEmpty() ? !entry.detail.isEmpty() : entry.detail == decoder,
             qPrintable(entry.detail));
    // Quality 99 keeps these well within JPEG error; a wrong rendering scores below 30 dB.
    QStringList made{dir.filePath("a.jpg")};
    if (streamed) {
        const std::string path = QFile::encodeName(source).toStdString();
        made << dir.filePath("streamed.jpg");
        const Result<Decoded> streamed = ConvertByStreaming(
            path, QFile::encodeName(made.last()).toStdString(), *PlanDecode(path));
        QVERIFY(streamed);
    }
    for (const QString &jpeg : made) {
        const double db = PsnrDb(QImage(jpeg), expected, Width / 4);
        QVERIFY2(db >= 40, qPrintable(QFileInfo(jpeg).fileName() + QString(": %1").arg(db)));
    }
}

// Flat rows make a poster of 20,000 x 20,000 pixels of a few MB; ImageMagick takes at most
// 16,000 a side, and DevIL would hold 1.6 GB.
void TestDecoders::streamsBeyondImageMagicksLimit()
{
    constexpr int Side = 20'000;
    constexpr int Stripes = 8;
    const auto stripe = [](int y, int channel) {
        return quint8(y * Stripes / Side * 30 + channel * 40);
    };
    const QTemporaryDir dir;
    const QString poster =
        WriteFile(dir, "poster.psb", PsdWriter::FlatRows(Side, Side, PsdWriter::Rgb, stripe));
    const EntryResult entry = ConvertAll({poster}).entries.value(0);
    QCOMPARE(entry.status, wire::Status::Ok);
    QCOMPARE(entry.detail, "reader");
    QImageReader reader(QFile::decodeName(entry.target));
    QCOMPARE(reader.size(), QSize(Side, Side));
    // At an eighth, which the JPEG decoder does cheaply.
    reader.setScaledSize(QSize(Side / 8, Side / 8));
    const QImage image = reader.read();
    for (int i = 0; i < Stripes; ++i) {
        const int y = (2 * i + 1) * Side / Stripes / 2;
        const QRgb shown = image.pixel(Side / 16, y / 8);
        for (const auto &[value, channel] :
             {std::pair{qRed(shown), 0}, {qGreen(shown), 1}, {qBlue(shown), 2}})
            QVERIFY2(std::abs(value - stripe(y, channel)) <= 2, qPrintable(QString::number(i)));
    }
}

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
