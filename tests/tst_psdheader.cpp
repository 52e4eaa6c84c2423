#include "psdheader.h"
#include "psdwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

class TestPsdHeader : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data();
    void verdict();
    void readsEveryField();
    void notAHeader_data();
    void notAHeader();
    void missingFile();
    void contents_data();
    void contents();
    void standIn_data();
    void standIn();
    void damage_data();
    void damage();

private:
    QString Write(const QByteArray &bytes);
    QTemporaryDir m_dir;
    int m_files = 0;
};

QString TestPsdHeader::Write(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QString::number(++m_files) + ".psd");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestPsdHeader::verdict_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("channels");
    QTest::addColumn<quint32>("width");
    QTest::addColumn<quint32>("height");
    QTest::addColumn<int>("depth");
    QTest::addColumn<quint64>("decodedSize");
    QTest::addColumn<bool>("tooLarge");

    const quint64 gib2 = quint64(2) << 30;
    QTest::newRow("PSD 30,000 wide") << 1 << 1 << 30000u << 1u << 8 << quint64(30000) << false;
    QTest::newRow("PSD 30,001 wide") << 1 << 1 << 30001u << 1u << 8 << quint64(30001) << true;
    QTest::newRow("PSD 30,000 high") << 1 << 3 << 1u << 30000u << 8 << quint64(90000) << false;
    QTest::newRow("PSD 30,001 high") << 1 << 3 << 1u << 30001u << 8 << quint64(90003) << true;
    QTest::newRow("PSB 300,000 wide") << 2 << 3 << 300000u << 1u << 8 << quint64(900000) << false;
    QTest::newRow("PSB 300,001 wide") << 2 << 3 << 300001u << 1u << 8 << quint64(900003) << true;
    QTest::newRow("PSB 300,001 high") << 2 << 1 << 1u << 300001u << 16 << quint64(600002) << true;
    QTest::newRow("PSB 300,000 square")
        << 2 << 3 << 300000u << 300000u << 8 << quint64(270'000'000'000) << true;
    QTest::newRow("just under 2 GiB") << 2 << 4 << 32768u << 16383u << 8 << gib2 - 131072 << false;
    QTest::newRow("exactly 2 GiB") << 2 << 4 << 32768u << 16384u << 8 << gib2 << true;
    QTest::newRow("2 GiB in 16-bit") << 2 << 4 << 16384u << 16384u << 16 << gib2 << true;
    QTest::newRow("30,000 square RGBA 16-bit, within the PSD side limit")
        << 1 << 4 << 30000u << 30000u << 16 << quint64(7'200'000'000) << true;
    // A 32-bit product wraps to 0 here.
    QTest::newRow("4 GiB wraps in 32 bits")
        << 2 << 1 << 65536u << 65536u << 8 << (quint64(1) << 32) << true;
    QTest::newRow("1-bit counts a byte a pixel") << 2 << 1 << 65536u << 32768u << 1 << gib2 << true;
    QTest::newRow("1-bit just under") << 2 << 1 << 65536u << 32767u << 1 << gib2 - 65536 << false;
    QTest::newRow("32-bit float") << 1 << 3 << 20000u << 10000u << 32 << quint64(2'400'000'000)
                                  << true;
    QTest::newRow("everything at its maximum saturates")
        << 2 << 56 << 0xFFFFFFFFu << 0xFFFFFFFFu << 32 << std::numeric_limits<quint64>::max()
        << true;
    QTest::newRow("ordinary photo")
        << 1 << 3 << 6000u << 4000u << 8 << quint64(72'000'000) << false;
}

void TestPsdHeader::verdict()
{
    QFETCH(int, version);
    QFETCH(int, channels);
    QFETCH(quint32, width);
    QFETCH(quint32, height);
    QFETCH(int, depth);
    QFETCH(quint64, decodedSize);
    QFETCH(bool, tooLarge);

    const std::optional<PsdHeader> header = ReadPsdHeader(
        QFile::encodeName(Write(PsdWriter::Header(version, channels, height, width, depth, 3)))
            .toStdString());
    QVERIFY(header);
    QCOMPARE(quint64(DecodedSizeEstimate(*header)), decodedSize);
    QCOMPARE(IsTooLargeToDecode(*header), tooLarge);
}

void TestPsdHeader::readsEveryField()
{
    const QByteArray bytes = PsdWriter(5, 3, PsdWriter::Cmyk, [](int, int, int) { return 0; })
                                 .SetExtraChannels(2)
                                 .SetDepth(16)
                                 .SetLargeFormat(true)
                                 .Bytes();
    const std::optional<PsdHeader> header =
        ReadPsdHeader(QFile::encodeName(Write(bytes)).toStdString());
    QVERIFY(header);
    QCOMPARE(header->version, 2);
    QCOMPARE(header->channels, 6);
    QCOMPARE(header->width, 5u);
    QCOMPARE(header->height, 3u);
    QCOMPARE(header->depth, 16);
    QCOMPARE(header->colorMode, 4);
}

void TestPsdHeader::notAHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray psd = PsdWriter::Header(1, 3, 100, 100, 8, 3);
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("short file") << psd.left(25);
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1a\n").append(QByteArray(40, '\0'));
    QTest::newRow("signature in lower case") << QByteArray("8bps").append(psd.mid(4));
    QTest::newRow("version 0") << psd.left(4).append('\0').append('\0').append(psd.mid(6));
    QTest::newRow("version 3") << psd.left(4).append('\0').append('\3').append(psd.mid(6));
}

void TestPsdHeader::notAHeader()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!ReadPsdHeader(QFile::encodeName(Write(bytes)).toStdString()));
}

void TestPsdHeader::missingFile()
{
    QVERIFY(!ReadPsdHeader(QFile::encodeName(m_dir.filePath("absent.psd")).toStdString()));
    QVERIFY(!ReadPsdHeader(QFile::encodeName(m_dir.path()).toStdString()));
}

namespace
{

quint16 Grey(int x, int y, int channel)
{
    return quint16((x * 40 + y * 30 + channel * 60) * 256);
}

PsdWriter Small()
{
    return PsdWriter(12, 10, PsdWriter::Rgb, Grey);
}

PsdContents ContentsOf(const QString &path)
{
    const std::string name = QFile::encodeName(path).toStdString();
    const std::optional<PsdHeader> header = ReadPsdHeader(name);
    if (header)
        return ReadPsdContents(name, *header);
    PsdContents none;
    none.damage = "no header";
    return none;
}

} // namespace

void TestPsdHeader::contents_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("realComposite");
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("mergedTransparency");
    QTest::addColumn<int>("compression");

    QTest::newRow("nothing but the image") << Small().Bytes() << true << "" << false << 0;
    QTest::newRow("Photoshop's version info, RLE")
        << Small()
               .AddResource(1005, QByteArray(16, '\1'))
               .AddResource(1057, PsdWriter::VersionInfo("Adobe Photoshop", true))
               .SetCompression(PsdWriter::Rle)
               .Bytes()
        << true << "Adobe Photoshop" << false << 1;
    QTest::newRow("stand-in composite")
        << Small().AddResource(1057, PsdWriter::VersionInfo("Adobe Photoshop", false)).Bytes()
        << false << "Adobe Photoshop" << false << 0;
    QTest::newRow("non-ASCII writer")
        << Small().AddResource(1057, PsdWriter::VersionInfo(u"Écrit ☃"_qs, true)).Bytes() << true
        << "?crit ?" << false << 0;
    QTest::newRow("positive layer count")
        << Small().SetExtraChannels(1).SetLayer(Grey, false).Bytes() << true << "" << false << 0;
    QTest::newRow("negative layer count")
        << Small().SetExtraChannels(1).SetLayer(Grey, true).Bytes() << true << "" << true << 0;
    QTest::newRow("PSB, negative layer count")
        << Small().SetExtraChannels(1).SetLayer(Grey, true).SetLargeFormat(true).Bytes() << true
        << "" << true << 0;
}

void TestPsdHeader::contents()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, realComposite);
    QFETCH(QString, writer);
    QFETCH(bool, mergedTransparency);
    QFETCH(int, compression);

    const PsdContents contents = ContentsOf(Write(bytes));
    QCOMPARE(QString::fromStdString(contents.damage), QString());
    QCOMPARE(contents.hasRealComposite, realComposite);
    QCOMPARE(QString::fromStdString(contents.writer), writer);
    QCOMPARE(contents.mergedTransparency, mergedTransparency);
    QCOMPARE(contents.compression, compression);
}

void TestPsdHeader::standIn_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("blank");

    const auto white = [](int, int, int) { return quint16(0xFFFF); };
    // White but for the last pixel of the last colour channel.
    const auto almost = [](int x, int y, int c) {
        return quint16(x == 11 && y == 9 && c == 2 ? 0xFE00 : 0xFFFF);
    };
    const auto clear = [](int, int, int c) { return quint16(c < 3 ? 0xFFFF : 0); };
    const auto standIn = [](PsdWriter::ColorMode mode, const PsdWriter::Samples &samples) {
        return PsdWriter(12, 10, mode, samples)
            .AddResource(1057, PsdWriter::VersionInfo("Adobe Photoshop", false));
    };
    QTest::newRow("a picture") << standIn(PsdWriter::Rgb, Grey).Bytes() << false;
    QTest::newRow("white, raw") << standIn(PsdWriter::Rgb, white).Bytes() << true;
    QTest::newRow("white, RLE")
        << standIn(PsdWriter::Rgb, white).SetCompression(PsdWriter::Rle).Bytes() << true;
    QTest::newRow("white but one pixel, RLE")
        << standIn(PsdWriter::Rgb, almost).SetCompression(PsdWriter::Rle).Bytes() << false;
    QTest::newRow("white but one pixel, 16-bit raw")
        << standIn(PsdWriter::Rgb, almost).SetDepth(16).Bytes() << false;
    QTest::newRow("white, 16-bit RLE PSB") << standIn(PsdWriter::Rgb, white)
                                                  .SetDepth(16)
                                                  .SetCompression(PsdWriter::Rle)
                                                  .SetLargeFormat(true)
                                                  .Bytes()
                                           << true;
    QTest::newRow("grey") << standIn(PsdWriter::Grayscale, white).Bytes() << true;
    QTest::newRow("CMYK without ink") << standIn(PsdWriter::Cmyk, white).Bytes() << true;
    QTest::newRow("white, all clear")
        << standIn(PsdWriter::Rgb, clear).SetExtraChannels(1).SetCompression(PsdWriter::Rle).Bytes()
        << true;
    QTest::newRow("white, but called real")
        << PsdWriter(12, 10, PsdWriter::Rgb, white)
               .AddResource(1057, PsdWriter::VersionInfo("Adobe Photoshop", true))
               .Bytes()
        << false;
}

void TestPsdHeader::standIn()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, blank);
    const PsdContents contents = ContentsOf(Write(bytes));
    QCOMPARE(QString::fromStdString(contents.damage), QString());
    QCOMPARE(contents.blankStandIn, blank);
}

void TestPsdHeader::damage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("damage");

    constexpr int ResourcesLength = 30; // after the header and the colour mode data's length
    QByteArray overrun = Small().AddResource(1005, QByteArray(16, '\1')).Bytes();
    overrun[ResourcesLength + 3] = char(overrun[ResourcesLength + 3] - 2);
    QByteArray layersPastEnd = Small().SetLayer(Grey, false).Bytes();
    layersPastEnd[ResourcesLength + 4] = char(0x7F);
    QByteArray unknownCompression = Small().Bytes();
    unknownCompression[ResourcesLength + 8 + 1] = 7;

    QTest::newRow("colour mode data past the end")
        << PsdWriter::Header(1, 3, 10, 12, 8, 3).append(QByteArray(4, char(0x7F)))
        << "colour mode data cut short";
    QTest::newRow("resource name length 0xFF")
        << PsdWriter::ResourceNameLengthFF() << "damaged image resources";
    QTest::newRow("resource runs past its section") << overrun << "damaged image resources";
    QTest::newRow("layer section past the end") << layersPastEnd << "damaged layer section";
    QTest::newRow("unknown compression") << unknownCompression << "unknown image data compression";
    QTest::newRow("raw data cut short") << Small().Bytes().chopped(1) << "image data cut short";
    QTest::newRow("RLE data cut short")
        << Small().SetCompression(PsdWriter::Rle).Bytes().chopped(1) << "image data cut short";
    QTest::newRow("ends inside the RLE row counts")
        << PsdWriter::TruncatedInRowCounts() << "image data cut short";
    QTest::newRow("no image data") << Small().Bytes().left(ResourcesLength + 8) << "no image data";
}

void TestPsdHeader::damage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, damage);
    QCOMPARE(QString::fromStdString(ContentsOf(Write(bytes)).damage), damage);
}

QTEST_GUILESS_MAIN(TestPsdHeader)
#include "tst_psdheader.moc"
