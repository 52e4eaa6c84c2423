// The colour step samples a large picture's transform on a grid in linear light; it must stay
// near the exact transform. Float samples may hold anything at all: NaN reads as 0, and what
// lies beyond a channel's range as its nearest end, on every path through the step.
#include "support/batch.h"
#include "support/psdwriter.h"
#include "worker/colour/colourstep.h"

#include <QTest>

#include <cstring>
#include <limits>
#include <random>

namespace
{

struct OddFloat {
    const char *name;
    float value;
    float standIn; // what it reads as
};

constexpr float Infinity = std::numeric_limits<float>::infinity();
constexpr OddFloat OddFloats[] = {{"NaN", std::numeric_limits<float>::quiet_NaN(), 0},
                                  {"+Inf", Infinity, 1},
                                  {"-Inf", -Infinity, 0},
                                  {"1e30", 1e30f, 1},
                                  {"-1e30", -1e30f, 0}};

// Some samples of every channel, alpha included, are `odd`, the rest a ramp.
std::vector<float> Floats(std::size_t pixels, int channels, float odd)
{
    std::vector<float> samples(pixels * std::size_t(channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = i % 7 == 3 ? odd : float(i % 256) / 255.0f;
    return samples;
}

} // namespace

class TestColour : public QObject
{
    Q_OBJECT

private slots:
    void gridStaysNearTheExactTransform_data();
    void gridStaysNearTheExactTransform();
    void oddFloatsReadAsTheirStandIns_data();
    void oddFloatsReadAsTheirStandIns();
    void wideLabWithOddFloatsConverts_data();
    void wideLabWithOddFloatsConverts();
};

void TestColour::gridStaysNearTheExactTransform_data()
{
    QTest::addColumn<ColorMode>("mode");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("tolerance");

    QTest::newRow("CMYK") << ColorMode::Cmyk << "default_cmyk.icc" << 6;
    QTest::newRow("Adobe RGB") << ColorMode::Rgb << "a98.icc" << 2;
    QTest::newRow("Lab") << ColorMode::Lab << "" << 3;
}

// Noise, the hardest case for a grid: no two neighbours alike.
void TestColour::gridStaysNearTheExactTransform()
{
    QFETCH(ColorMode, mode);
    QFETCH(QString, profile);
    QFETCH(int, tolerance);

    const std::string icc = profile.isEmpty() ? "" : SystemProfile(profile).toStdString();
    if (!profile.isEmpty() && icc.empty())
        QSKIP("libgs-common's profiles are not installed");
    const std::size_t pixels = 20'000;
    std::vector<std::uint8_t> samples(pixels * std::size_t(ColourChannels(mode)));
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

void TestColour::oddFloatsReadAsTheirStandIns_data()
{
    QTest::addColumn<ColorMode>("mode");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<bool>("blend");       // on white by alpha; else clear pixels show white
    QTest::addColumn<quint64>("pictured"); // the picture's pixels: many take the grid

    QTest::newRow("grey") << ColorMode::Grayscale << false << false << quint64(0);
    QTest::newRow("RGB on white") << ColorMode::Rgb << true << true << quint64(0);
    QTest::newRow("RGB, clear shows white") << ColorMode::Rgb << true << false << quint64(0);
    QTest::newRow("CMYK by formula") << ColorMode::Cmyk << false << false << quint64(0);
    QTest::newRow("Lab, exact") << ColorMode::Lab << false << false << quint64(0);
    QTest::newRow("Lab, on the grid") << ColorMode::Lab << false << false << quint64(100'000'000);
    QTest::newRow("Lab on white, on the grid")
        << ColorMode::Lab << true << true << quint64(100'000'000);
}

void TestColour::oddFloatsReadAsTheirStandIns()
{
    QFETCH(ColorMode, mode);
    QFETCH(bool, alpha);
    QFETCH(bool, blend);
    QFETCH(quint64, pictured);

    const std::size_t pixels = 1000;
    const SampleLayout layout{mode, 32, alpha};
    const ColourStep step(layout, "", blend, alpha && !blend, pictured);
    for (const OddFloat &odd : OddFloats) {
        std::vector<std::uint8_t> shown(pixels * 3);
        std::vector<std::uint8_t> expected(pixels * 3);
        step.ToSrgb8(Floats(pixels, layout.Channels(), odd.value).data(), pixels, shown.data());
        step.ToSrgb8(Floats(pixels, layout.Channels(), odd.standIn).data(), pixels,
                     expected.data());
        QVERIFY2(shown == expected, odd.name);
    }
}

void TestColour::wideLabWithOddFloatsConverts_data()
{
    QTest::addColumn<float>("odd");
    QTest::addColumn<float>("standIn");
    for (const OddFloat &odd : OddFloats)
        QTest::newRow(odd.name) << odd.value << odd.standIn;
}

// Wider than ImageMagick takes, so our own reader converts it through the colour grid.
void TestColour::wideLabWithOddFloatsConverts()
{
    QFETCH(float, odd);
    QFETCH(float, standIn);

    const auto lab = [](float value) {
        return PsdWriter(16'001, 8, PsdWriter::Lab, {})
            .SetDepth(32)
            .SetLargeFormat(true)
            .SetFloats([value](int x, int y, int c) {
                return (x + y + c) % 97 == 0 ? value : float((x + 40 * c) % 256) / 255.0f;
            })
            .Bytes();
    };
    Batch batch;
    batch.Add({{"odd.psb", lab(odd)}, {"plain.psb", lab(standIn)}});
    const RunReport report = batch.Convert(1);
    for (const EntryResult &entry : report.entries) {
        QCOMPARE(entry.status, wire::Status::Ok);
        QCOMPARE(entry.detail, "reader");
    }
    QCOMPARE(batch.Read("odd.jpg"), batch.Read("plain.jpg"));
}

QTEST_GUILESS_MAIN(TestColour)
#include "tst_colour.moc"
