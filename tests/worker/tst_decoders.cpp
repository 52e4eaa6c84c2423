#include "support/batch.h"
#include "support/psdwriter.h"
#include "worker/decodeplan.h"
#include "worker/stream/streamconversion.h"

#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

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

QImage Picture(const std::function<QRgb(int x, int y)> &pixel)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x)
            image.setPixel(x, y, pixel(x, y));
    }
    return image;
}

// How the ramps should show: as stored, in grey, as CMYK ink, or flattened onto white by their
// alpha.
enum Look { Stored, Grey, Ink, OnWhite };

QImage Expected(Look look)
{
    return Picture([look](int x, int y) {
        const auto v = [&](int c) { return Ramp(x, y, c) >> 8; };
        const int a = look == OnWhite ? Alpha(x) : 255;
        const auto shown = [&](int c) {
            return look == Grey  ? v(0)
                   : look == Ink ? v(c) * v(3) / 255
                                 : (v(c) * a + 255 * (255 - a) + 127) / 255;
        };
        return qRgb(shown(0), shown(1), shown(2));
    });
}

// sRGB's blue at the left, as ICC Lab (D50) gives it, and Lab's middle grey (L* 50.2) at the
// right; the edge where the ramps' transparency starts, which the comparison leaves out.
quint16 LabHalves(int x, int, int channel)
{
    const int left[] = {75, 196, 16}; // L 29.6, a 68.3, b -112.0
    return quint16((x < Width / 4 ? left[channel] : 128) << 8);
}

// The CMYK ramps with a profile embedded, and how ImageMagick's own colour management shows
// them; both empty when no CMYK profile is installed.
std::pair<QByteArray, QImage> CmykThroughProfile()
{
    const QByteArray cmyk = SystemProfile("default_cmyk.icc");
    const QByteArray srgb = SystemProfile("srgb.icc");
    const QTemporaryDir dir;
    QByteArray ink; // as ImageMagick reads raw CMYK: 0 is no ink
    for (int i = 0; i < Width * Height * 4; ++i)
        ink += char(255 - (Ramp(i / 4 % Width, i / 4 / Width, i % 4) >> 8));
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

} // namespace

class TestDecoders : public QObject
{
    Q_OBJECT

private slots:
    void convertsPixelForPixel_data();
    void convertsPixelForPixel();
    void streamsBeyondImageMagicksLimit();
    void qualityTakesEffect_data();
    void qualityTakesEffect();
};

void TestDecoders::convertsPixelForPixel_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("decoder"); // and the colour step's word; "" where none reads it
    QTest::addColumn<QImage>("expected");
    const auto row = [](const char *name, const QByteArray &bytes, const QString &decoder,
                        const QImage &expected) {
        QTest::newRow(name) << bytes << decoder << expected;
    };

    using W = PsdWriter;
    const auto ramps = [](ColorMode mode) { return W(Width, Height, mode, Ramp); };
    const W rgb = ramps(W::Rgb);
    const W rle = W(rgb).SetCompression(W::Rle);
    // Photoshop saved it without a real composite: the merged image is a white stand-in, and
    // the picture is rebuilt from the layer, whose transparency is straight.
    const QByteArray standIn = W(Width, Height, W::Rgb, [](int, int, int) { return 0xFFFF; })
                                   .AddResource(1057, W::VersionInfo("Adobe Photoshop", false))
                                   .SetLayer(Cutout, false)
                                   .Bytes();
    // The first extra channel is the merged image's transparency; the writer's name, if any,
    // is in resource 1057.
    const auto transparent = [](const QString &writer, const W::Samples &merged) {
        W file = W(Width, Height, W::Rgb, merged).SetExtraChannels(1).SetLayer(Cutout, true);
        return writer.isEmpty() ? file : file.AddResource(1057, W::VersionInfo(writer, true));
    };
    const QByteArray photoshopXmp =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/"
        "22-rdf-syntax-ns#\"><rdf:Description xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" "
        "xmp:CreatorTool=\"Adobe Photoshop 25.0\"/></rdf:RDF></x:xmpmeta>";
    const auto [cmykWithProfile, cmykShown] = CmykThroughProfile();
    // ZIP-compressed merged data, which neither DevIL nor this ImageMagick reads.
    QByteArray zip = rgb.Bytes();
    zip[zip.size() - 3 * Width * Height - 1] = 2;

    // Plain RGB is the case with alpha, and RLE the grey and CMYK cases.
    const QImage stored = Expected(Stored);
    row("grey", ramps(W::Grayscale).SetCompression(W::Rle).Bytes(), "devil", Expected(Grey));
    row("CMYK RLE", ramps(W::Cmyk).SetCompression(W::Rle).Bytes(), "devil", Expected(Ink));
    // Alpha without layers says nothing about how the picture shows.
    row("RGB and alpha", W(rle).SetExtraChannels(1).Bytes(), "devil", stored);
    row("RGB 16-bit raw", W(rgb).SetDepth(16).Bytes(), "devil", stored);
    // A PSB named .psd: the header decides, never the name.
    row("PSB", W(rle).SetLargeFormat(true).Bytes(), "magick", stored);
    row("16-bit RLE", W(rle).SetDepth(16).Bytes(), "magick", stored);
    // Neither DevIL nor ImageMagick reads ZIP data, nor DevIL 32-bit data.
    const W predicted = W(rgb).SetCompression(W::ZipPredicted);
    row("ZIP with prediction", predicted.Bytes(), "reader", stored);
    row("16-bit ZIP with prediction", W(predicted).SetDepth(16).Bytes(), "reader", stored);
    row("32-bit ZIP with prediction", W(predicted).SetDepth(32).Bytes(), "reader", stored);
    row("no real composite", standIn, "layers", Expected(OnWhite));
    // The data tell how a writer that is not Photoshop stored its composite.
    row("transparent, unmatted", transparent("ag-psd", Cutout).Bytes(), "magick",
        Expected(OnWhite));
    // Whether the writer blended the colour on white takes our reader a first pass over the
    // rows; the run has ImageMagick rebuild this one from its layer.
    row("transparent, unmatted, ZIP", transparent("ag-psd", Cutout).SetCompression(W::Zip).Bytes(),
        "magick", Expected(OnWhite));
    row("transparent, matted, no writer named", transparent("", Matted).Bytes(), "magick",
        Expected(OnWhite));
    // Photoshop's composite is blended on white already, and DevIL shows it as stored.
    row("transparent, from Photoshop", transparent("Adobe Photoshop", Cutout).Bytes(), "devil",
        stored);
    row("transparent, from Photoshop by its metadata",
        transparent("", Cutout).AddResource(1060, photoshopXmp).Bytes(), "devil", stored);
    row("CMYK with a profile", cmykWithProfile, "magick", cmykShown);
    row("Lab", W(Width, Height, W::Lab, LabHalves).Bytes(), "magick",
        Picture([](int x, int) { return x < Width / 4 ? qRgb(0, 0, 255) : qRgb(119, 119, 119); }));
    // A profile that is no use converts as if there were none, and says so. (No bytes: the
    // profile is not installed.)
    const QByteArray cmykProfile = SystemProfile("default_cmyk.icc");
    const auto tagged = [&](W file, const QByteArray &profile) {
        return profile.isEmpty() ? QByteArray() : file.AddResource(1039, profile).Bytes();
    };
    const QString ignored = "damaged colour profile ignored";
    row("damaged profile", tagged(rle, "no profile"), "devil, " + ignored, stored);
    row("truncated profile", tagged(ramps(W::Cmyk), cmykProfile.left(300)), "magick, " + ignored,
        Expected(Ink));
    row("profile of another mode", tagged(rle, cmykProfile),
        "devil, colour profile of another colour mode ignored", stored);
    row("32-bit grey", ramps(W::Grayscale).SetDepth(32).Bytes(), "magick", Expected(Grey));
    row("neither", zip, "", QImage());
}

void TestDecoders::convertsPixelForPixel()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, decoder);
    QFETCH(QImage, expected);

    if (bytes.isEmpty())
        QSKIP("no colour profiles installed (libgs-common)");
    Batch batch;
    const QString source = QFile::decodeName(batch.Add({{"a.psd", bytes}}).sources[0]);
    const EntryResult entry = batch.Convert(1).entries.value(0);
    QCOMPARE(entry.status, decoder.isEmpty() ? wire::Status::Unreadable : wire::Status::Ok);
    // The decoder that served it, or why neither could.
    QVERIFY2(decoder.isEmpty() ? !entry.detail.isEmpty() : entry.detail == decoder,
             qPrintable(entry.detail));
    // Our own reader, which takes what is too large for the decoders, also makes what they read.
    QStringList made{batch.dir.filePath("a.jpg")};
    if (decoder != "layers" && !decoder.isEmpty()) {
        const std::string path = QFile::encodeName(source).toStdString();
        made << batch.dir.filePath("streamed.jpg");
        QVERIFY(ConvertByStreaming(path, QFile::encodeName(made.last()).toStdString(),
                                   *PlanDecode(path), wire::DefaultQuality));
    }
    // Quality 99 keeps these well within JPEG error; a wrong rendering scores below 30 dB.
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
    Batch batch;
    batch.Add({{"poster.psb", PsdWriter::FlatRows(Side, Side, PsdWriter::Rgb, stripe)}});
    const EntryResult entry = batch.Convert(1).entries.value(0);
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

void TestDecoders::qualityTakesEffect_data()
{
    QTest::addColumn<bool>("streamed");
    QTest::newRow("decoders, through the run") << false;
    QTest::newRow("our reader") << true;
}

// A lower quality gives a smaller file that decodes to other pixels, on either writer.
void TestDecoders::qualityTakesEffect()
{
    QFETCH(bool, streamed);
    QTemporaryDir dir;
    const QByteArray source = QFile::encodeName(WriteFile(dir, "q.psd", SmallPsd(64, 64)));
    QList<QFileInfo> made;
    for (const int quality : {wire::DefaultQuality, 20}) {
        const QByteArray target = source + QByteArray::number(quality) + ".jpg";
        if (streamed) {
            const std::string path = source.toStdString();
            QVERIFY(ConvertByStreaming(path, target.toStdString(), *PlanDecode(path), quality));
        } else {
            ConversionRun run;
            run.SetQuality(quality);
            run.SetTargetRule([&](const QByteArray &) { return target; });
            QCOMPARE(RunToEnd(run, {source}).FailedCount(), 0);
        }
        made << QFileInfo(QFile::decodeName(target));
    }
    QVERIFY2(made[1].size() < made[0].size(), qPrintable(QString::number(made[1].size())));
    QVERIFY(QImage(made[0].filePath()) != QImage(made[1].filePath()));
}

QTEST_GUILESS_MAIN(TestDecoders)
#include "tst_decoders.moc"
