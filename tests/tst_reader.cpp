#include "conversionrun.h"
#include "decodeplan.h"
#include "fixtures.h"
#include "psdwriter.h"
#include "runtoend.h"
#include "streamconversion.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace
{

EntryResult ConvertOne(const QString &path)
{
    ConversionRun run;
    return RunToEnd(run, {QFile::encodeName(path)}).entries.value(0);
}

std::string Bytes(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Odd sizes, so that the half-size chroma has a ragged edge; noise in every sample.
constexpr int Width = 61;
constexpr int Height = 47;

quint16 Noisy(int x, int y, int channel)
{
    return quint16(((x * 37 + y * 91 + channel * 53) ^ (x * y)) << 8);
}

} // namespace

// Our own reader of the merged image, which takes what is too large for DevIL and ImageMagick.
class TestReader : public QObject
{
    Q_OBJECT

private slots:
    void writesWhatDevilWrites_data();
    void writesWhatDevilWrites();
    void streamsBeyondImageMagicksLimit();
};

void TestReader::writesWhatDevilWrites_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("compression");
    QTest::addColumn<QString>("decoder");   // that the run picks
    QTest::addColumn<QString>("reference"); // the decoder of the raw file
    QTest::addColumn<bool>("transparent");  // as another writer than Photoshop leaves it

    using W = PsdWriter;
    QTest::newRow("raw") << int(W::Rgb) << 8 << int(W::Raw) << "devil"
                         << "devil" << false;
    QTest::newRow("RLE") << int(W::Rgb) << 8 << int(W::Rle) << "devil"
                         << "devil" << false;
    QTest::newRow("grey RLE") << int(W::Grayscale) << 8 << int(W::Rle) << "devil"
                              << "devil" << false;
    QTest::newRow("CMYK RLE") << int(W::Cmyk) << 8 << int(W::Rle) << "devil"
                              << "devil" << false;
    QTest::newRow("16-bit raw") << int(W::Rgb) << 16 << int(W::Raw) << "devil"
                                << "devil" << false;
    // Neither DevIL nor ImageMagick reads ZIP data.
    QTest::newRow("ZIP") << int(W::Rgb) << 8 << int(W::Zip) << "reader"
                         << "devil" << false;
    QTest::newRow("ZIP with prediction") << int(W::Rgb) << 8 << int(W::ZipPredicted) << "reader"
                                         << "devil" << false;
    QTest::newRow("16-bit ZIP with prediction")
        << int(W::Rgb) << 16 << int(W::ZipPredicted) << "reader"
        << "devil" << false;
    // DevIL reads no 32-bit data.
    QTest::newRow("32-bit ZIP with prediction")
        << int(W::Rgb) << 32 << int(W::ZipPredicted) << "reader"
        << "magick" << false;
    // Whether the writer blended the colour on white takes the reader a first pass over the
    // rows; the run has ImageMagick rebuild this one from its layer.
    QTest::newRow("transparent ZIP") << int(W::Rgb) << 8 << int(W::Zip) << "magick"
                                     << "magick" << true;
}

// The same pixels through the same colour step and DevIL's JPEG settings make the same file
// (byte for byte, but for CMYK, whose ink DevIL turns into RGB itself). Which decoder took
// the raw file is its JPEG's name.
void TestReader::writesWhatDevilWrites()
{
    QFETCH(int, mode);
    QFETCH(int, depth);
    QFETCH(int, compression);
    QFETCH(QString, decoder);
    QFETCH(QString, reference);
    QFETCH(bool, transparent);
    const QTemporaryDir dir;
    PsdWriter raw = PsdWriter(Width, Height, PsdWriter::ColorMode(mode), Noisy).SetDepth(depth);
    if (transparent)
        raw.SetExtraChannels(1)
            .SetLayer(Noisy, true)
            .AddResource(1057, PsdWriter::VersionInfo("ag-psd", true));
    const QString byDevil = WriteFile(dir, reference + ".psd", raw.Bytes());
    const QString file = WriteFile(
        dir, "a.psd", PsdWriter(raw).SetCompression(PsdWriter::Compression(compression)).Bytes());
    QCOMPARE(ConvertOne(byDevil).detail, reference);
    const EntryResult entry = ConvertOne(file);
    QCOMPARE(entry.detail, decoder);

    const auto plan = PlanDecode(Bytes(file));
    const wire::Response streamed = ConvertByStreaming(
        Bytes(file), Bytes(dir.filePath("streamed.jpg")), std::get<DecodePlan>(plan));
    QCOMPARE(streamed.detail, "reader");
    const QImage devil(dir.filePath(reference + ".jpg"));
    QCOMPARE(devil.size(), QSize(Width, Height));
    for (const QString &jpeg : {dir.filePath("streamed.jpg"), QFile::decodeName(entry.target)}) {
        const double db = PsnrDb(QImage(jpeg), devil);
        QVERIFY2(db >= 40, qPrintable(QString::number(db)));
    }
}

// Flat rows make a poster of 20,000 x 20,000 pixels of a few MB; ImageMagick takes at most
// 16,000 a side, and DevIL would hold 1.6 GB.
void TestReader::streamsBeyondImageMagicksLimit()
{
    constexpr int Side = 20'000;
    constexpr int Stripes = 8;
    const auto stripe = [](int y, int channel) {
        return quint8(y * Stripes / Side * 30 + channel * 40);
    };
    const QTemporaryDir dir;
    const EntryResult entry = ConvertOne(
        WriteFile(dir, "poster.psb", PsdWriter::FlatRows(Side, Side, PsdWriter::Rgb, stripe)));
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

QTEST_GUILESS_MAIN(TestReader)
#include "tst_reader.moc"
