#include "shared/limits.h"
#include "support/fixtures.h"
#include "support/psdwriter.h"
#include "worker/decodeplan.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// What the checks before any decoder make of a file: the decoder it goes to, or why none may
// have it.
QString Verdict(const QByteArray &bytes)
{
    const QTemporaryDir dir;
    const std::string path = QFile::encodeName(WriteFile(dir, "a.psd", bytes)).toStdString();
    const Result<DecodePlan> plan = PlanDecode(path);
    if (!plan)
        return QString::fromStdString(plan.Why().detail);
    const Decoder decoder = plan->decoder;
    // The app budgets what the header shows past both decoders as streamed, so it must be.
    const auto header = ReadPsdHeader(path);
    const bool banded = decoder == Decoder::Reader || decoder == Decoder::Layers;
    if (!banded && header && BeyondTheDecoders(*header))
        return "budgeted as streamed";
    const char *const names[] = {"devil", "magick", "reader", "layers"};
    return names[int(decoder)];
}

} // namespace

class TestPsdHeader : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
};

void TestPsdHeader::verdict_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("verdict");

    using W = PsdWriter;
    // A header alone gets past the size checks to its missing sections.
    const QString fits = "damaged file: colour mode data cut short";
    const auto header = [](PsdVersion version, int channels, quint32 width, quint32 height,
                           int depth) {
        return W::Header(version, channels, height, width, depth, W::Rgb);
    };
    // A file named .psd must pass the header check; DevIL would read past a short one.
    const QByteArray whole = header(W::Psd, 3, 1, 1, 8);
    QByteArray version3 = whole;
    version3[5] = 3;
    QTest::newRow("cut short inside the header")
        << whole.chopped(1) << "damaged file: cut short inside the header";
    QTest::newRow("empty") << QByteArray() << "damaged file: cut short inside the header";
    QTest::newRow("no signature") << "GIF89a" + whole << "damaged file: not a PSD or PSB header";
    QTest::newRow("unknown version") << version3 << "damaged file: unknown format version 3";
    QTest::newRow("PSD 30,001 high")
        << header(W::Psd, 3, 1, 30001, 8) << "height 30001 pixels, more than 30000";
    // A JPEG file takes no more.
    QTest::newRow("PSB 65,500 wide") << header(W::Psb, 3, 65500, 1, 8) << fits;
    QTest::newRow("PSB 65,501 wide")
        << header(W::Psb, 1, 65501, 1, 16) << "width 65501 pixels, more than 65500";
    QTest::newRow("PSB 65,501 high")
        << header(W::Psb, 1, 1, 65501, 8) << "height 65501 pixels, more than 65500";
    QTest::newRow("57 channels") << header(W::Psd, 57, 1, 1, 8) << "57 channels, more than 56";
    // Its header check would hold rows of half a gigabyte.
    QTest::newRow("65,535 bits") << header(W::Psb, 3, 65500, 1, 65535)
                                 << "65535 bits a sample, more than 32";
    QTest::newRow("no width") << W::ClaimsSize(W::Psd, 3, 0, 10, 8, W::Rgb, W::Rle)
                              << "damaged file: 0 x 10 pixels";
    QTest::newRow("no height") << W::ClaimsSize(W::Psb, 3, 10, 0, 8, W::Rgb, W::Raw)
                               << "damaged file: 10 x 0 pixels";
    // Multichannel, which no decoder but ImageMagick reads:
    QTest::newRow("decoded size")
        << W::ClaimsSize(W::Psb, 9, 16'000, 16'000, 8, W::Multichannel, W::Zip)
        << "decoded size 2197 MiB (16000 x 16000 pixels, 9 channels of 8 bits), 2 GiB or more";
    QTest::newRow("depth")
        << W::ClaimsSize(W::Psb, 3, 16'000, 16'000, 32, W::Multichannel, W::Zip)
        << "decoded size 2929 MiB (16000 x 16000 pixels, 3 channels of 32 bits), 2 GiB or more";
    QTest::newRow("area for ImageMagick")
        << W::ClaimsSize(W::Psb, 3, 12'000, 12'000, 8, W::Multichannel, W::Zip)
        << "12000 x 12000 pixels for ImageMagick, more than 128 megapixels";
    QTest::newRow("past both decoders")
        << W::FlatRows(20'000, 20'000, W::Rgb, [](int y, int c) { return quint8(y + c); })
        << "reader";
    // The compositor rebuilds a composite from the layers a band at a time, whatever its size.
    QTest::newRow("a stand-in to rebuild")
        << W::WithoutComposite(16'001, 1, W::Rgb).SetLargeFormat(true).Bytes() << "layers";

    // Photoshop's stand-in for a composite it did not keep is blank; a picture is not.
    const auto almost = [](int x, int y, int c) { return quint16(x + y + c == 22 ? 0 : 0xFFFF); };
    const auto psd = [](const W::Samples &samples, bool real) {
        return W(12, 10, W::Rgb, samples)
            .AddResource(1057, W::VersionInfo("Adobe Photoshop", real));
    };
    QTest::newRow("white, RLE")
        << psd([](int, int, int) { return 0xFFFF; }, false).SetCompression(W::Rle).Bytes()
        << "layers";
    // Its last pixel is not white.
    QTest::newRow("not white, RLE") << psd(almost, false).SetCompression(W::Rle).Bytes() << "devil";
    QTest::newRow("not white, 16-bit") << psd(almost, false).SetDepth(16).Bytes() << "devil";

    const QByteArray raw = psd(almost, true).Bytes();
    const qsizetype layers = raw.size() - 12 * 10 * 3 - 6; // its length, then the compression
    QByteArray overrun = raw;
    overrun[33] = char(overrun[33] - 2); // the resources' length
    QByteArray layersPastEnd = psd(almost, true).SetLayer(almost, false).Bytes();
    layersPastEnd[layers] = char(0x7F);
    QByteArray zip = raw;
    zip[layers + 5] = 7;
    QTest::newRow("resource past its section")
        << overrun << "damaged file: damaged image resources";
    QTest::newRow("layers past the end") << layersPastEnd << "damaged file: damaged layer section";
    QTest::newRow("unknown compression") << zip << "damaged file: unknown image data compression";
    QTest::newRow("raw data cut short") << raw.chopped(1) << "damaged file: image data cut short";
    QTest::newRow("RLE data cut short")
        << psd(almost, true).SetCompression(W::Rle).Bytes().chopped(1)
        << "damaged file: image data cut short";
    QTest::newRow("no image data") << raw.left(layers + 4) << "damaged file: no image data";

    // DevIL reads a channel's rows as one stream and writes past its buffer where one runs
    // over; every row is unpacked before it sees the file. The third row of the first channel,
    // 8 bytes wide, as given:
    const auto packed = [](const char *hex) {
        return W(8, 5, W::Cmyk, [](int, int, int c) { return c * 9000; })
            .SetCompression(W::Rle)
            .SetFirstPackedRow(2, QByteArray::fromHex(hex))
            .Bytes();
    };
    const QString unfilled = "damaged file: a packed row does not fill its width exactly";
    QTest::newRow("row as written") << packed("f9aa") << "devil";
    QTest::newRow("row with do-nothing headers") << packed("80fc010202030480") << "devil";
    QTest::newRow("row literal one over") << packed("08000102030405060708") << unfilled;
    QTest::newRow("row run over") << packed("f7aa") << unfilled;
    QTest::newRow("row short of its width") << packed("fcaa") << unfilled;
    QTest::newRow("row bytes left over") << packed("f9aa00bb") << unfilled;
    QTest::newRow("row literal cut short") << packed("07000102") << unfilled;
    QTest::newRow("row run without its byte") << packed("fcaafd") << unfilled;
    QTest::newRow("row empty") << packed("") << unfilled;
}

void TestPsdHeader::verdict()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, verdict);
    QCOMPARE(Verdict(bytes), verdict);
}

QTEST_GUILESS_MAIN(TestPsdHeader)
#include "tst_psdheader.moc"
