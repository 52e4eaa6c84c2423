// Adjustment layers rebuilt from the layers of a document without a flattened picture: each
// kind on stated values in each colour mode and depth, with masks, opacity, blend modes,
// clipping and groups; what is not rendered refused by name.
#include "support/adjustmentblocks.h"
#include "support/layerscene.h"

#include <QTest>

namespace
{

using W = PsdWriter;
using S = LayerScene;
using Colour = S::Colour;
namespace a = adjustment;

// The adjustment over the right half only: the left shows the backdrop as it is.
W::Layer RightHalf(const QByteArray &block)
{
    return With(a::Layer(block), [](W::Layer &l) { l.mask = LeftHidden(); });
}

} // namespace

class TestAdjustments : public QObject
{
    Q_OBJECT

private slots:
    void adjusts_data();
    void adjusts();
    void refuses_data();
    void refuses();
};

void TestAdjustments::adjusts_data()
{
    QTest::addColumn<LayerScene>("scene");

    const Colour b{153, 102, 204};
    const Colour s{51, 204, 102};
    const auto row = [](const char *name, ColorMode mode, int depth, const Colour &backdrop,
                        const QByteArray &block, const Colour &adjusted) {
        QTest::newRow(name) << S{
            mode, depth, {Flat(backdrop), RightHalf(block)}, backdrop, adjusted};
    };
    const auto rgb = [&](const char *name, const QByteArray &block, const Colour &adjusted) {
        row(name, W::Rgb, 8, b, block, adjusted);
    };
    const QByteArray invert = a::InvertBlock();
    rgb("invert", invert, {102, 153, 51});
    row("invert, grey 16", W::Grayscale, 16, {153}, invert, {102});
    // (x - 51) / (204 - 51)
    const QByteArray stretch = a::LevelsBlock({{51, 204}});
    rgb("levels", stretch, {170, 85, 255});
    row("levels, RGB 16", W::Rgb, 16, b, stretch, {170, 85, 255});
    // CMYK's levels work on the values as stored, where 255 is no ink.
    row("levels, CMYK", W::Cmyk, 8, {153, 102, 51, 204}, a::LevelsBlock({{0, 204}}),
        {191, 128, 64, 255});
    row("levels gamma, grey", W::Grayscale, 8, {64}, a::LevelsBlock({{0, 255, 0, 255, 2}}), {128});
    // Red's own levels halve it before the composite's double it; green and blue only doubled.
    rgb("levels of a channel, then the composite's", a::LevelsBlock({{0, 128}, {0, 255, 0, 128}}),
        {153, 203, 255});
    rgb("curves", a::CurvesBlock({{{0, 0}, {128, 255}}}), {255, 203, 255});
    // Between knots, the natural cubic spline through them all.
    rgb("curve through three knots", a::CurvesBlock({{{0, 0}, {128, 192}, {255, 255}}}),
        {213, 162, 240});
    rgb("curve of blue alone", a::CurvesBlock({{}, {}, {}, {{0, 255}, {255, 0}}}), {153, 102, 51});
    rgb("posterize", a::PosterizeBlock(4), {170, 85, 255});
    row("posterize, RGB 16", W::Rgb, 16, b, a::PosterizeBlock(4), {170, 85, 255});
    row("posterize, CMYK", W::Cmyk, 8, {153, 102, 51, 204}, a::PosterizeBlock(4),
        {170, 85, 0, 255});
    row("threshold at the level", W::Grayscale, 8, {153}, a::ThresholdBlock(153), {255});
    row("threshold above it", W::Grayscale, 8, {153}, a::ThresholdBlock(154), {0});
    // One stop more in linear light, at gamma 2.2 below 32 bits.
    rgb("exposure", a::ExposureBlock(1, 0, 1), {210, 140, 255});
    row("exposure, RGB 32", W::Rgb, 32, b, a::ExposureBlock(1, 0, 1), {255, 204, 255});
    // An offset below black, its gamma taken as if above: 0.6 - 0.7 to -0.1, then -(0.1)^0.5,
    // which the difference from the backdrop shows.
    QTest::newRow("exposure below black, grey 32")
        << S{W::Grayscale,
             32,
             {Flat({153}), With(RightHalf(a::ExposureBlock(0, -0.7f, 2)),
                                [](W::Layer &l) { l.blendMode = "diff"; })},
             {153},
             {234}};
    rgb("channel mixer", a::ChannelMixerBlock({{0, 0, 100, 0}, {0, 100, 0, 0}, {100, 0, 0, 0}}),
        {204, 102, 153});
    rgb("channel mixer constant",
        a::ChannelMixerBlock({{0, 0, 0, 20}, {0, 100, 0, 0}, {0, 0, 100, 0}}), {51, 102, 204});
    rgb("brightness/contrast at zero", a::BrightnessBlock(0, 0), b);
    // Photoshop's own figures for black to white: each primary's luminosity on the smooth
    // gradient's curve.
    const QList<a::Stop> blackToWhite{{0, {0, 0, 0}}, {4096, {255, 255, 255}}};
    const QByteArray greys = a::GradientMapBlock(blackToWhite);
    row("gradient map of red", W::Rgb, 8, {255, 0, 0}, greys, {66, 66, 66});
    row("gradient map of green", W::Rgb, 8, {0, 255, 0}, greys, {156, 156, 156});
    row("gradient map of blue", W::Rgb, 8, {0, 0, 255}, greys, {18, 18, 18});
    row("gradient map reversed", W::Rgb, 8, {255, 0, 0}, a::GradientMapBlock(blackToWhite, true),
        {189, 189, 189});
    // Blended as light: 0.258 of white's light.
    row("gradient map in linear light", W::Rgb, 8, {255, 0, 0},
        a::GradientMapBlock(blackToWhite, false, "Lnr "), {139, 139, 139});
    row("gradient map, RGB 16", W::Rgb, 16, {255, 0, 0}, greys, {66, 66, 66});
    row("gradient map of mid grey, red to blue", W::Rgb, 8, {128, 128, 128},
        a::GradientMapBlock({{0, {255, 0, 0}}, {4096, {0, 0, 255}}}), {127, 0, 128});
    rgb("hue/saturation at zero", a::HueSaturationBlock(0, 0, 0), b);

    // The adjusted backdrop is the layer's colour, blended as the layer says.
    const auto shown = [&](const char *name, const Layers &layers, const Colour &left,
                           const Colour &right) {
        QTest::newRow(name) << S{W::Rgb, 8, layers, left, right};
    };
    QTest::newRow("invert at half opacity")
        << S{W::Rgb,
             8,
             {Flat(b), With(RightHalf(invert), [](W::Layer &l) { l.opacity = 128; })},
             b,
             {127, 128, 127}};
    shown("invert in multiply",
          {Flat(b), With(RightHalf(invert), [](W::Layer &l) { l.blendMode = "mul "; })}, b,
          {61, 61, 41});
    // Clipped, the adjustment reaches only what its base covers.
    const Colour white{255, 255, 255};
    shown("clipped to a layer over the right half",
          {Flat(white), Flat(b, "norm", 255, S::Half, S::Half),
           With(a::Layer(invert), [](W::Layer &l) { l.clipped = true; })},
          white, {102, 153, 51});
    // In an isolated group it adjusts the group's layers alone; passed through, all below.
    const Layers inside{Flat(s, "norm", 255, S::Half, S::Half), a::Layer(invert)};
    shown("in an isolated group", Layers{Flat(b)} + Group(inside, "norm"), b, {204, 51, 153});
    shown("in a pass-through group", Layers{Flat(b)} + Group(inside, "pass"), {102, 153, 51},
          {204, 51, 153});
    shown("not rendered, over nothing", {a::Layer(W::Block("clrL", QByteArray(4, '\0')))}, white,
          white);
}

void TestAdjustments::adjusts()
{
    QFETCH(LayerScene, scene);
    const QString fault = scene.Fault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestAdjustments::refuses_data()
{
    QTest::addColumn<LayerScene>("scene");
    QTest::addColumn<QString>("reason");

    // How a scene would show were it rebuilt, which it should not be.
    const Colour backdrop{153, 102, 204, 255};

    const auto row = [&](const char *name, ColorMode mode, int depth, const QByteArray &block,
                         const QString &named) {
        const Layers layers{Flat(backdrop), a::Layer(block)};
        QTest::newRow(name) << S{mode, depth, layers, backdrop, backdrop}
                            << "no flattened picture, and its layers use adjustment layers (" +
                                   named + ")";
    };
    row("threshold outside grey", W::Rgb, 8, a::ThresholdBlock(128), "threshold outside grey");
    row("hue/saturation", W::Rgb, 8, a::HueSaturationBlock(30, 0, 0), "hue/saturation");
    row("brightness/contrast", W::Rgb, 8, a::BrightnessBlock(10, 0), "brightness/contrast");
    row("new brightness/contrast without the legacy block", W::Rgb, 8,
        W::Block("CgEd", QByteArray(4, '\0')), "brightness/contrast");
    row("curves in 32 bits", W::Rgb, 32, a::CurvesBlock({{{0, 0}, {255, 128}}}),
        "curves in 32 bits");
    row("levels whose floor is above the ceiling", W::Rgb, 8, a::LevelsBlock({{200, 100}}),
        "levels");
    row("exposure in CMYK", W::Cmyk, 8, a::ExposureBlock(1, 0, 1), "exposure in CMYK");
    row("exposure's gamma at 16 bits", W::Rgb, 16, a::ExposureBlock(1, 0, 2),
        "exposure with an offset or gamma");
    row("channel mixer in CMYK", W::Cmyk, 8, a::ChannelMixerBlock({{100, 0, 0, 0}}),
        "channel mixer");
    row("channel mixer in monochrome", W::Rgb, 8, a::ChannelMixerBlock({{100, 0, 0, 0}}, true),
        "channel mixer");
    row("color lookup", W::Rgb, 8, W::Block("clrL", QByteArray(4, '\0')), "color lookup");
    const QList<a::Stop> redToBlue{{0, {255, 0, 0}}, {4096, {0, 0, 255}}};
    row("gradient map in CMYK", W::Cmyk, 8, a::GradientMapBlock(redToBlue),
        "gradient map outside RGB and grey");
    row("gradient map interpolated perceptually", W::Rgb, 8,
        a::GradientMapBlock(redToBlue, false, "Perc"),
        "gradient map of gradient interpolation 'Perc'");
    row("gradient map, stops spaced unevenly", W::Rgb, 8,
        a::GradientMapBlock({{0, {0, 0, 0}}, {1024, {255, 0, 0}}, {4096, {0, 0, 255}}}),
        "gradient map of gradient stops spaced unevenly");
    const Layers clipped{Flat(backdrop), a::Layer(a::InvertBlock()),
                         With(Flat({51, 204, 102}), [](W::Layer &l) { l.clipped = true; })};
    QTest::newRow("clipped to an adjustment layer")
        << S{W::Rgb, 8, clipped, backdrop, backdrop}
        << "no flattened picture, and its layers use layers clipped to an adjustment layer";
}

// Refused as unreadable, with the reason the scene's fault is.
void TestAdjustments::refuses()
{
    QFETCH(LayerScene, scene);
    QFETCH(QString, reason);

    const QString fault = scene.Fault();
    QVERIFY2(fault.startsWith(reason), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestAdjustments)
#include "tst_adjustments.moc"
