// The colour step samples a large picture's transform on a grid in linear light; it must stay
// near the exact transform.
#include "support/fixtures.h"
#include "worker/colour/colourstep.h"

#include <QTest>

#include <random>

class TestColour : public QObject
{
    Q_OBJECT

private slots:
    void gridStaysNearTheExactTransform_data();
    void gridStaysNearTheExactTransform();
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

QTEST_GUILESS_MAIN(TestColour)
#include "tst_colour.moc"
