// Layer styles, dissolve and artboards rebuilt from the layers of a document without a
// flattened picture: a style that changes nothing, colour overlays against values worked out
// from Photoshop's rules, dissolve where it shows as normal does, artboards as pages of their
// own, and everything else refused by name.
#include "support/layerscene.h"

#include <QTest>

namespace
{

using W = PsdWriter;
using S = LayerScene;

const S::Colour Backdrop{153, 102, 204};
const S::Colour Own{51, 204, 102};

W::Effect Overlay(const QByteArray &model, const QList<std::pair<QByteArray, double>> &colour)
{
    return {"SoFi", true, "Nrml", 100, model, colour, {}, {}};
}

W::Effect Red(const QByteArray &blendMode = "Nrml", double opacity = 100)
{
    W::Effect effect = Overlay("RGBC", {{"Rd  ", 255}, {"Grn ", 0}, {"Bl  ", 0}});
    effect.blendMode = blendMode;
    effect.opacity = opacity;
    return effect;
}

W::Effect Effect(const QByteArray &kind, bool enabled = true)
{
    W::Effect effect = Red();
    effect.kind = kind;
    effect.enabled = enabled;
    return effect;
}

// Black to white from left to right, over the layer's bounds or the document's.
W::Effect Greys(bool alignWithLayer, bool reverse = false, double opacity = 100)
{
    W::Effect effect{"GrFl", true, "Nrml", opacity, "RGBC", {}, W::Gradient{}, {}};
    effect.gradient->angle = 0;
    effect.gradient->align = alignWithLayer;
    effect.gradient->reverse = reverse;
    return effect;
}

W::Layer Styled(W::Layer layer, bool on, const QList<W::Effect> &effects)
{
    layer.blocks += W::LayerStyle(on, effects);
    return layer;
}

// The layer over the right half only, the left showing the backdrop.
W::Layer RightHalf(const QList<W::Effect> &effects, int fillOpacity = 255, int opacity = 255,
                   int alpha = 255)
{
    W::Layer layer = Styled(Flat(Own, "norm", alpha, S::Half, S::Half), true, effects);
    layer.fillOpacity = fillOpacity;
    layer.opacity = opacity;
    return layer;
}

} // namespace

class TestLayerStyles : public QObject
{
    Q_OBJECT

private slots:
    void styles_data();
    void styles();
    void dissolve_data();
    void dissolve() { styles(); }
    void artboards_data();
    void artboards() { styles(); }
};

void TestLayerStyles::styles_data()
{
    QTest::addColumn<LayerScene>("scene");
    QTest::addColumn<QString>("refused"); // what the refusal names; "" where rendered

    const auto rgb = [](const char *name, const W::Layer &layer, const S::Colour &left,
                        const S::Colour &right, const QString &refused = {}) {
        QTest::newRow(name) << S{W::Rgb, 8, {Flat(Backdrop), layer}, left, right} << refused;
    };
    const S::Colour red{255, 0, 0};
    rgb("master switch off", Styled(Flat(Own), false, {Red(), Effect("DrSh", false)}), Own, Own);
    rgb("every effect off",
        Styled(Flat(Own), true,
               {Effect("SoFi", false), Effect("DrSh", false), Effect("FrFX", false)}),
        Own, Own);
    rgb("hidden layer's drop shadow",
        With(Styled(Flat(Own), true, {Red(), Effect("FrFX", false)}),
             [](auto &l) { l.hidden = true; }),
        Backdrop, Backdrop);
    rgb("colour overlay", RightHalf({Red()}), Backdrop, red);
    // Over the layer's own pixels: multiply gives (0.2, 0, 0), half of it over (0.2, 0.8, 0.4).
    rgb("overlay multiplied at 50 %", RightHalf({Red("Mltp", 50)}), Backdrop, {51, 102, 51});
    // The overlay keeps its opacity where fill opacity hides the layer's pixels, and blends
    // with what lies below them.
    rgb("overlay at fill opacity 0", RightHalf({Red()}, 0), Backdrop, red);
    rgb("overlay multiplied at fill opacity 0", RightHalf({Red("Mltp")}, 0), Backdrop, {153, 0, 0});
    // Layer opacity and the layer's own alpha each let half the backdrop through once.
    rgb("overlay at layer opacity 50 %", RightHalf({Red()}, 255, 128), Backdrop, {204, 51, 102});
    rgb("overlay on half transparent pixels", RightHalf({Red()}, 255, 255, 128), Backdrop,
        {204, 51, 102});
    rgb("black grey overlay in RGB", RightHalf({Overlay("Grsc", {{"Gry ", 100}})}), Backdrop,
        {0, 0, 0});
    QTest::newRow("grey overlay in grey")
        << S{W::Grayscale,
             8,
             {Flat({153}), Styled(Flat({51}), true, {Overlay("Grsc", {{"Gry ", 80}})})},
             {51},
             {51}}
        << QString();
    const W::Effect magentaYellow =
        Overlay("CMYC", {{"Cyn ", 0}, {"Mgnt", 100}, {"Ylw ", 100}, {"Blck", 0}});
    QTest::newRow("CMYK overlay") << S{W::Cmyk,
                                       16,
                                       {Flat({153, 153, 153, 255}),
                                        Styled(Flat({51, 51, 51, 255}), true, {magentaYellow})},
                                       {255, 0, 0, 255},
                                       {255, 0, 0, 255}}
                                  << QString();
    // The right half's middle lies halfway along its own bounds, three quarters along the
    // document's: 0.797 on the smooth gradient's curve.
    rgb("gradient overlay aligned with its layer", RightHalf({Greys(true)}), Backdrop,
        {128, 128, 128});
    rgb("gradient overlay aligned with the document", RightHalf({Greys(false)}), Backdrop,
        {203, 203, 203});
    // A quarter along, 0.203 of white, half of it over the layer's own colour.
    rgb("gradient overlay reversed at 50 %", RightHalf({Greys(false, true, 50)}), Backdrop,
        {51, 128, 77});
    rgb("gradient overlay under a colour overlay", RightHalf({Red(), Greys(true)}), Backdrop, red);

    rgb("drop shadow", RightHalf({Red(), Effect("FrFX", false), Effect("DrSh")}), {}, {},
        "layer styles (drop shadow)");
    rgb("stroke", RightHalf({Effect("FrFX")}), {}, {}, "layer styles (stroke)");
    const QString overlay =
        "layer styles (color overlay in that blend mode, or blended with the layer alone)";
    rgb("grey overlay in RGB", RightHalf({Overlay("Grsc", {{"Gry ", 40}})}), {}, {},
        "layer styles (color overlay in another colour mode)");
    rgb("dissolving overlay", RightHalf({Red("Dslv")}), {}, {}, overlay);
    const QByteArray alone = W::Block("infx", QByteArray("\1\0\0\0", 4));
    rgb("multiplied overlay blended with the layer alone",
        With(RightHalf({Red("Mltp")}), [&](auto &l) { l.blocks += alone; }), {}, {}, overlay);
    rgb("overlay blended with a layer half filled",
        With(RightHalf({Red()}, 128), [&](auto &l) { l.blocks += alone; }), {}, {}, overlay);
    W::Effect noise = Greys(true);
    noise.gradient->form = "ClNs";
    rgb("gradient overlay of noise", RightHalf({noise}), {}, {},
        "layer styles (gradient overlay of noise gradients)");
    W::Effect radial = Greys(true);
    radial.gradient->type = "Rdl ";
    rgb("radial gradient overlay", RightHalf({radial}), {}, {},
        "layer styles (gradient overlay of radial, angle and diamond gradients)");
    rgb("two overlays", RightHalf({Red(), Red()}), {}, {},
        "layer styles (more than one color overlay)");
    rgb("overlay on a layer multiplied",
        With(RightHalf({Red()}), [](auto &l) { l.blendMode = "mul "; }), {}, {},
        "layer styles on groups, clipping groups or layers not blended normally");
}

void TestLayerStyles::dissolve_data()
{
    QTest::addColumn<LayerScene>("scene");
    QTest::addColumn<QString>("refused");

    const auto rgb = [](const char *name, const Layers &layers, const S::Colour &left,
                        const QString &refused = {}) {
        QTest::newRow(name) << S{W::Rgb, 8, Layers{Flat(Backdrop)} + layers, left, Own} << refused;
    };
    const W::Layer right = Flat(Own, "diss", 255, S::Half, S::Half);
    rgb("opaque", {right}, Backdrop);
    rgb("masked off on the left", {With(Flat(Own, "diss"), [](auto &l) { l.mask = LeftHidden(); })},
        Backdrop);
    rgb("hidden and half transparent",
        {With(Flat(Own, "diss", 128), [](auto &l) { l.hidden = true; }), right}, Backdrop);
    const QString scattered = "the dissolve blend mode over partly transparent pixels";
    rgb("half transparent", {Flat(Own, "diss", 128)}, {}, scattered);
    rgb("at opacity 50 %", {With(right, [](auto &l) { l.opacity = 128; })}, {}, scattered);
    rgb("at fill opacity 50 %", {With(right, [](auto &l) { l.fillOpacity = 128; })}, {}, scattered);
    rgb("a group", Group({right}, "diss"), {}, "the dissolve blend mode on groups");
    rgb("in a pass-through group at opacity 50 %",
        Group({right}, "pass", [](auto &l) { l.opacity = 128; }), {},
        "the dissolve blend mode in pass-through groups not wholly shown");
}

void TestLayerStyles::artboards_data()
{
    QTest::addColumn<LayerScene>("scene");
    QTest::addColumn<QString>("refused");

    const S::Colour white{255, 255, 255};
    const QRect left(0, 0, S::Half, S::Side);
    const auto board = [&](const Layers &layers, int background, const QList<int> &rgb = {}) {
        return Group(layers, "pass",
                     [&](auto &l) { l.blocks = W::Artboard(left, background, rgb); });
    };
    const auto rgb = [](const char *name, const Layers &layers, const S::Colour &left,
                        const S::Colour &right, const QString &refused = {}) {
        QTest::newRow(name) << S{W::Rgb, 8, layers, left, right} << refused;
    };
    // Its background under its layers, and nothing of them beyond it.
    rgb("coloured, its layer beyond it",
        board({Flat(Own, "norm", 255, S::Half, S::Half)}, 4, {255, 0, 0}), {255, 0, 0}, white);
    rgb("transparent, its layer across the page", board({Flat(Own)}, 3), Own, white);
    rgb("white, over a layer outside it", Layers{Flat(Own)} + board({}, 1), white, Own);
    rgb("black", board({}, 2), {}, {}, "artboards of that background");
    rgb("within a group", Group(board({}, 1), "pass"), {}, {},
        "artboards within groups or on layers");
}

void TestLayerStyles::styles()
{
    QFETCH(LayerScene, scene);
    QFETCH(QString, refused);

    const QString fault = scene.Fault();
    if (refused.isEmpty())
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    else
        QCOMPARE(fault, "no flattened picture, and its layers use " + refused +
                            ": save it with Maximize Compatibility on");
}

QTEST_GUILESS_MAIN(TestLayerStyles)
#include "tst_layerstyles.moc"
