// Gradient and pattern fill layers saved without their pixels, as 16- and 32-bit documents
// keep them, drawn from their settings. Gradients: the colour each shape gives stated points, where
// full smoothness eases each stop in and out at half the straight line's slope (a quarter of the
// way between black and white is 52, three quarters 203). What is not drawn as Photoshop draws it
// is refused by name. Patterns are tiled from the document's corner, for fills and overlays.
#include "support/layerscene.h"

#include <QTest>

namespace
{

using W = PsdWriter;
using G = W::Gradient;
using Change = std::function<void(W::Layer &)>;
using Points = QList<QList<int>>; // x, y, then the red, green and blue shown there

QByteArray Document(
    const G &gradient, int depth = 16, ColorMode mode = W::Rgb,
    const Change &change = [](W::Layer &) {})
{
    W::Layer layer;
    layer.samples = [](int, int, int) { return quint16(0); };
    layer.blocks = W::Block("GdFl", W::GradientFill(gradient));
    change(layer);
    return StandIn(mode, depth, {layer});
}

G With(G gradient, const std::function<void(G &)> &change)
{
    change(gradient);
    return gradient;
}

// A mask that shows rows 8 to 24 and hides all else.
W::Mask MiddleRows()
{
    W::Mask mask;
    mask.top = 8;
    mask.width = LayerScene::Side;
    mask.height = 16;
    mask.samples = [](int, int, int) { return quint16(0xFFFF); };
    return mask;
}

// A layer filled with `fill` and no pixels of its own.
W::Layer FillLayer(const QByteArray &fill = W::PatternFill("tiles"))
{
    W::Layer layer;
    layer.samples = [](int, int, int) { return quint16(0); };
    layer.blocks = W::Block("PtFl", fill);
    return layer;
}

// A black layer with a pattern overlay of `use` at 50 %.
W::Layer Overlaid(const W::PatternUse &use)
{
    W::Effect overlay{"patternFill", true, "Nrml", 50, "RGBC", {}, {}, use};
    return With(Flat({0, 0, 0}), [&](W::Layer &l) { l.blocks = W::LayerStyle(true, {overlay}); });
}

// A 16-pixel pattern of four squares, red, green, blue and white, named "tiles", of
// `patternMode`, in a document of `mode` and `depth` whose one layer is `layer`.
QByteArray Tiled(const W::Layer &layer = FillLayer(), ColorMode mode = W::Rgb, int depth = 16,
                 ColorMode patternMode = W::Rgb)
{
    const QList<QList<int>> squares{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    const QByteArray patterns = W(1, 1, patternMode, [](int, int, int) {
                                    return quint16(0);
                                }).Patterns("tiles", 16, 16, [&](int x, int y, int c) {
        return quint16(squares[y / 8 * 2 + x / 8].value(c) * 257);
    });
    return W::WithoutComposite(LayerScene::Side, LayerScene::Side, mode)
        .SetDepth(depth)
        .AddLayer(layer)
        .AddSectionBlock(patterns)
        .Bytes();
}

} // namespace

class TestGradients : public QObject
{
    Q_OBJECT

private slots:
    void draws_data();
    void draws();
    void refuses_data();
    void refuses();
};

void TestGradients::draws_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Points>("points");

    const G up; // black at the bottom edge to white at the top
    const auto grey = [](int x, int y, int value) { return QList<int>{x, y, value, value, value}; };
    const auto row = [](const char *name, const QByteArray &bytes, const Points &points) {
        QTest::newRow(name) << bytes << points;
    };
    row("linear, upwards", Document(up), {grey(16, 24, 52), grey(16, 16, 128), grey(16, 8, 203)});
    row("linear, rightwards", Document(With(up, [](G &g) { g.angle = 0; })),
        {grey(8, 16, 52), grey(24, 16, 203)});
    row("linear, downwards", Document(With(up, [](G &g) { g.angle = -90; })), {grey(16, 8, 52)});
    row("reversed", Document(With(up, [](G &g) { g.reverse = true; })), {grey(16, 8, 52)});
    row("half as long", Document(With(up, [](G &g) { g.scale = 50; })),
        {grey(16, 12, 203), grey(16, 4, 255), grey(16, 28, 0)});
    row("reflected", Document(With(up, [](G &g) { g.type = "Rflc"; })),
        {grey(16, 16, 0), grey(16, 8, 128), grey(16, 24, 128), grey(16, 4, 203)});
    const auto blackWhiteBlack = [](G &g) {
        g.colours = {{0, {0, 0, 0}}, {2048, {255, 255, 255}}, {4096, {0, 0, 0}}};
    };
    // The white stop between two black ones is passed at the mean of the slopes either side:
    // flat, so that a quarter of the way is 143, not 128.
    row("three stops", Document(With(up, blackWhiteBlack)),
        {grey(16, 16, 255), grey(16, 24, 143), grey(16, 20, 221), grey(16, 8, 143)});
    row("red fading out, on white",
        Document(With(up,
                      [](G &g) {
                          g.colours = {{0, {255, 0, 0}}, {4096, {255, 0, 0}}};
                          g.opacities = {{0, 100}, {4096, 0}};
                      })),
        {{16, 16, 255, 128, 128}, {16, 8, 255, 203, 203}});
    row("hue, saturation and brightness",
        Document(With(up,
                      [](G &g) {
                          g.model = "HSBC";
                          g.colours = {{0, {240, 100, 50}}, {4096, {240, 100, 50}}};
                      })),
        {{16, 16, 0, 0, 128}});
    const Change masked = [](W::Layer &l) { l.mask = MiddleRows(); };
    row("laid out in its mask's bounds", Document(up, 16, W::Rgb, masked),
        {grey(16, 12, 203), grey(16, 4, 255)});
    row("laid out in the document's",
        Document(With(up, [](G &g) { g.align = false; }), 16, W::Rgb, masked), {grey(16, 12, 167)});
    row("8 bits without pixels", Document(up, 8), {grey(16, 16, 128)});
    row("laid out in its shape's bounds",
        Document(up, 16, W::Rgb,
                 [](W::Layer &l) {
                     l.blocks += W::VectorMask({{0, 0.25, 1, 0.75}});
                 }),
        {grey(16, 12, 203), grey(16, 4, 255)});
    row("pattern tiled from the corner", Tiled(),
        {{4, 4, 255, 0, 0},
         {12, 4, 0, 255, 0},
         {4, 12, 0, 0, 255},
         {12, 12, 255, 255, 255},
         {20, 4, 255, 0, 0},
         {28, 28, 255, 255, 255}});
    // Overlaid on the layer at half its opacity, from the document's corner as fills are.
    row("pattern overlay on black", Tiled(Overlaid({"tiles"}), W::Rgb, 8),
        {{4, 4, 128, 0, 0}, {12, 4, 0, 128, 0}, {20, 12, 0, 0, 128}, {28, 28, 128, 128, 128}});
    // A 32-bit document's stops hold light as the document does, taken as they stand.
    row("32 bits",
        Document(With(up,
                      [](G &g) {
                          g.colours = {{0, {64, 64, 64}}, {4096, {192, 192, 192}}};
                      }),
                 32),
        {grey(16, 24, 90), grey(16, 16, 128)});
    row("grey fading out",
        Document(With(up,
                      [](G &g) {
                          g.model = "Grsc";
                          g.colours = {{0, {100}}, {4096, {100}}};
                          g.opacities = {{0, 100}, {4096, 0}};
                      }),
                 16, W::Grayscale),
        {grey(16, 16, 128), grey(16, 24, 52)});
    row("CMYK of one colour",
        Document(With(up,
                      [](G &g) {
                          g.model = "CMYC";
                          g.colours = {{0, {0, 100, 100, 0}}, {4096, {0, 100, 100, 0}}};
                      }),
                 16, W::Cmyk),
        {{16, 16, 255, 0, 0}});
}

void TestGradients::draws()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Points, points);

    QString why;
    const QImage picture = RebuiltPicture(bytes, why);
    QVERIFY2(!picture.isNull(), qPrintable(why));
    for (const QList<int> &point : points) {
        const QRgb shown = picture.pixel(point[0], point[1]);
        const QList<int> channels{qRed(shown), qGreen(shown), qBlue(shown)};
        for (int c = 0; c < 3; ++c)
            QVERIFY2(std::abs(channels[c] - point[2 + c]) <= 3,
                     qPrintable(QString("(%1, %2) shows %3, %4, %5")
                                    .arg(point[0])
                                    .arg(point[1])
                                    .arg(channels[0])
                                    .arg(channels[1])
                                    .arg(channels[2])));
    }
}

void TestGradients::refuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    const G up;
    const auto row = [](const char *name, const QByteArray &bytes, const QString &named) {
        QTest::newRow(name) << bytes << "no flattened picture, and its layers use " + named;
    };
    const auto changed = [&](const std::function<void(G &)> &change) {
        return Document(With(up, change));
    };
    row("radial", changed([](G &g) { g.type = "Rdl "; }), "radial, angle and diamond");
    row("at 30 degrees", changed([](G &g) { g.angle = 30; }), "gradient fills at angles");
    row("moved off centre", changed([](G &g) { g.offset = 10; }), "gradients moved");
    row("midpoints", changed([](G &g) { g.midpoint = 25; }), "gradient midpoints");
    row("half smooth", changed([](G &g) { g.smoothness = 2048; }), "gradient smoothness");
    row("noise", changed([](G &g) { g.form = "ClNs"; }), "noise gradients");
    row("Lab stops", changed([](G &g) {
            g.model = "LbCl";
            g.colours = {{0, {50, 0, 0}}, {4096, {50, 0, 0}}};
        }),
        "gradient colours of a model not read");
    row("RGB stops in grey", Document(up, 16, W::Grayscale), "gradient colours of another");
    row("grey between two colours",
        Document(With(up,
                      [](G &g) {
                          g.model = "Grsc";
                          g.colours = {{0, {100}}, {4096, {0}}};
                      }),
                 16, W::Grayscale),
        "gradients between colours outside RGB");
    row("stops spaced unevenly", changed([](G &g) {
            g.colours = {{0, {0, 0, 0}}, {1024, {255, 255, 255}}, {4096, {0, 0, 0}}};
        }),
        "gradient stops spaced unevenly");
    row("pattern not in the document", Tiled(FillLayer(W::PatternFill("other"))),
        "pattern fills whose pattern is not read");
    row("pattern of another mode", Tiled(FillLayer(), W::Grayscale),
        "pattern fills of another colour mode");
    row("pattern in 32 bits", Tiled(FillLayer(), W::Rgb, 32), "pattern fills in 32 bits");
    row("pattern scaled", Tiled(FillLayer(W::PatternFill("tiles", 50))),
        "patterns scaled, turned or moved");
    row("pattern linked with its layer", Tiled(FillLayer(W::PatternFill("tiles", 100, true))),
        "patterns linked with their layer");
    row("pattern overlay linked with its layer", Tiled(Overlaid({"tiles", 100, true}), W::Rgb, 8),
        "layer styles (pattern overlay of patterns linked with their layer)");
    row("pattern overlay of a pattern not in the document", Tiled(Overlaid({"other"}), W::Rgb, 8),
        "layer styles (pattern overlay of a pattern not read)");
    row("aligned with a shape with a hole",
        Document(up, 16, W::Rgb,
                 [](W::Layer &l) {
                     l.blocks += W::VectorMask({{0, 0, 1, 1}, {0.25, 0.25, 0.75, 0.75, 2}});
                 }),
        "gradient fills aligned with a shape");
}

void TestGradients::refuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    QString why;
    QVERIFY(RebuiltPicture(bytes, why).isNull());
    QVERIFY2(why.startsWith(reason), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestGradients)
#include "tst_gradients.moc"
