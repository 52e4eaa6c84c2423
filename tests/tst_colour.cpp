#include "colourstep.h"
#include "fixtures.h"
#include "mattecheck.h"

#include <QTest>

#include <cstring>
#include <random>

namespace
{

enum Matte { AsStored, BlendOnWhite, WhiteWhereClear };

template <typename T> QByteArray Samples(std::initializer_list<T> values)
{
    QByteArray bytes(int(values.size() * sizeof(T)), '\0');
    std::memcpy(bytes.data(), std::data(values), std::size_t(bytes.size()));
    return bytes;
}

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes += char(value);
    return bytes;
}

// 16-bit ICC Lab as stored: L from 0 to 65535, a and b with their zero at 32768.
QByteArray Lab16(std::initializer_list<std::array<double, 3>> colours)
{
    QByteArray bytes;
    for (const auto &[l, a, b] : colours)
        bytes += Samples<quint16>(
            {quint16(l * 655.35 + 0.5), quint16(a * 256 + 32768.5), quint16(b * 256 + 32768.5)});
    return bytes;
}

} // namespace

class TestColour : public QObject
{
    Q_OBJECT

private slots:
    void convertsToSrgb_data();
    void convertsToSrgb();
    void gridStaysNearTheExactTransform_data();
    void gridStaysNearTheExactTransform();
    void tellsMattedFromUnmatted_data();
    void tellsMattedFromUnmatted();
};

void TestColour::convertsToSrgb_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("matte");
    QTest::addColumn<QByteArray>("samples");  // with alpha unless as stored
    QTest::addColumn<QByteArray>("expected"); // 8-bit sRGB
    QTest::addColumn<int>("tolerance");

    QTest::newRow("unmatted grey: 50 % black stays grey")
        << 1 << 8 << int(BlendOnWhite) << Bytes({0, 128}) << Bytes({127, 127, 127}) << 0;
    QTest::newRow("unmatted CMYK: clear is paper")
        << 4 << 8 << int(BlendOnWhite) << Bytes({0, 0, 0, 0, 0}) << Bytes({255, 255, 255}) << 0;
    QTest::newRow("unmatted Lab: clear is white")
        << 9 << 8 << int(BlendOnWhite) << Bytes({0, 200, 50, 0}) << Bytes({255, 255, 255}) << 1;
    QTest::newRow("matted: as stored, white where clear")
        << 3 << 8 << int(WhiteWhereClear) << Bytes({10, 20, 30, 128, 0, 0, 0, 0})
        << Bytes({10, 20, 30, 255, 255, 255}) << 0;
    // sRGB's blue, green and red in ICC Lab (D50, Bradford), then white and black.
    QTest::newRow("Lab has a D50 white")
        << 9 << 16 << int(AsStored)
        << Lab16({{29.568, 68.287, -112.029},
                  {87.818, -79.287, 80.990},
                  {54.291, 80.805, 69.891},
                  {100, 0, 0},
                  {0, 0, 0}})
        << Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0}) << 2;
}

void TestColour::convertsToSrgb()
{
    QFETCH(int, mode);
    QFETCH(int, depth);
    QFETCH(int, matte);
    QFETCH(QByteArray, samples);
    QFETCH(QByteArray, expected);
    QFETCH(int, tolerance);

    const bool alpha = matte != AsStored;
    const ColourStep step({mode, depth, alpha}, {}, matte == BlendOnWhite,
                          matte == WhiteWhereClear);
    QVERIFY(!step.IsIdentity());
    // One pixel at a time, as a reader that streams rows may hand them over.
    const qsizetype pixelBytes = ((mode == 1   ? 1
                                   : mode == 4 ? 4
                                               : 3) +
                                  (alpha ? 1 : 0)) *
                                 depth / 8;
    QByteArray rgb(expected.size(), '\0');
    for (qsizetype i = 0; i < samples.size() / pixelBytes; ++i)
        step.ToSrgb8(samples.constData() + i * pixelBytes, 1,
                     reinterpret_cast<std::uint8_t *>(rgb.data()) + 3 * i);
    for (qsizetype i = 0; i < rgb.size(); ++i)
        QVERIFY2(std::abs(quint8(rgb[i]) - quint8(expected[i])) <= tolerance,
                 qPrintable(QString("%1 at %2").arg(rgb.toHex(' '), QString::number(i))));
}

void TestColour::gridStaysNearTheExactTransform_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("tolerance");

    QTest::newRow("CMYK") << 4 << "default_cmyk.icc" << 6;
    QTest::newRow("Adobe RGB") << 3 << "a98.icc" << 2;
    QTest::newRow("Lab") << 9 << "" << 3;
}

// Noise, the hardest case for a grid: no two neighbours alike.
void TestColour::gridStaysNearTheExactTransform()
{
    QFETCH(int, mode);
    QFETCH(QString, profile);
    QFETCH(int, tolerance);

    const std::string icc = profile.isEmpty() ? "" : SystemProfile(profile).toStdString();
    if (!profile.isEmpty() && icc.empty())
        QSKIP("libgs-common's profiles are not installed");
    const std::size_t pixels = 20'000;
    std::vector<std::uint8_t> samples(pixels * (mode == 4 ? 4 : 3));
    std::mt19937 random(11);
    for (std::uint8_t &sample : samples)
        sample = std::uint8_t(random());
    const ColourStep exact({mode, 8, false}, icc, false, false, pixels);
    const ColourStep gridded({mode, 8, false}, icc, false, false, 100'000'000);
    std::vector<std::uint8_t> a(pixels * 3);
    std::vector<std::uint8_t> b(pixels * 3);
    exact.ToSrgb8(samples.data(), pixels, a.data());
    gridded.ToSrgb8(samples.data(), pixels, b.data());
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    QVERIFY2(worst <= tolerance, qPrintable(QString::number(worst)));
    QVERIFY(a != b); // the grid is in use
}

void TestColour::tellsMattedFromUnmatted_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("samples"); // 8-bit, with alpha
    QTest::addColumn<bool>("matted");

    // Some writers leave wholly clear pixels black.
    QTest::newRow("clear black pixels tell nothing")
        << 1 << Bytes({0, 0, 230, 25, 128, 128}) << true;
    QTest::newRow("unmatted CMYK: full cyan at 20 %")
        << 4 << Bytes({0, 255, 255, 255, 51}) << false;
    QTest::newRow("Lab: lightness alone counts") << 9 << Bytes({255, 0, 0, 51}) << true;
}

void TestColour::tellsMattedFromUnmatted()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, samples);
    QFETCH(bool, matted);

    MatteCheck check({mode, 8, true});
    const int pixelBytes = (mode == 1 ? 1 : mode == 4 ? 4 : 3) + 1;
    for (qsizetype i = 0; i < samples.size(); i += pixelBytes)
        check.Feed(samples.constData() + i, 1);
    QCOMPARE(check.IsMatted(), matted);
}

QTEST_GUILESS_MAIN(TestColour)
#include "tst_colour.moc"
