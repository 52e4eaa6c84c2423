// Pictures rebuilt from their layers where the file holds no flattened one: groups, masks,
// clipping, opacity and fills, against values worked out from Photoshop's rules; what is not
// rendered refused by name; damaged layer data refused.
#include "support/layerscene.h"

#include <QTest>
#include <QtEndian>

namespace
{

using W = PsdWriter;
using S = LayerScene;
using Colour = S::Colour;
constexpr int Side = S::Side;
constexpr int Half = S::Half;

// A fill layer as 16- and 32-bit documents keep it: no pixels, its colour and vector mask.
W::Layer Fill(const QByteArray &colour, const QByteArray &blocks = {})
{
    W::Layer layer;
    layer.samples = [](int, int, int) { return quint16(0); };
    layer.blocks = W::Block("SoCo", colour) + blocks;
    return layer;
}

QByteArray Red()
{
    return W::SolidColour("RGBC", {{"Rd  ", 255}, {"Grn ", 0}, {"Bl  ", 0}});
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private:
    static void FillRows(const W::Layer &backdrop, const Colour &b);
    static void DamagedRows();

private slots:
    void rebuilds_data();
    void rebuilds();
    void refuses_data();
    void refuses();
};

void TestLayers::rebuilds_data()
{
    QTest::addColumn<LayerScene>("scene");

    // How the left half shows, and the right where that differs.
    const auto rgb = [](const char *name, const Layers &layers, const Colour &left,
                        const Colour &right = {}) {
        QTest::newRow(name) << S{W::Rgb, 8, layers, left, right.isEmpty() ? left : right};
    };
    using Change = std::function<void(W::Layer &)>;
    const Change hide = [](W::Layer &l) { l.hidden = true; };
    const Change halfOpaque = [](W::Layer &l) { l.opacity = 128; };
    const Change masked = [](W::Layer &l) { l.mask = LeftHidden(); };
    const Colour b{153, 102, 204};
    const Colour s{51, 204, 102};
    const Colour half{102, 153, 153}; // s at half opacity over b
    const W::Layer backdrop = Flat(b);
    const auto layer = [&](const Change &change) {
        return Layers{backdrop, With(Flat(s), change)};
    };
    rgb("opacity", layer(halfOpaque), half);
    rgb("fill opacity", layer([](auto &l) { l.fillOpacity = 128; }), half);
    rgb("hidden layer", layer(hide), b);
    rgb("half transparent, on white", {Flat({255, 0, 0}, "norm", 128)}, {255, 127, 127});
    rgb("layer over part of the picture", {backdrop, Flat(s, "norm", 255, Half, Half)}, b, s);
    rgb("layer past the picture's edge", {backdrop, Flat(s, "norm", 255, -Half, Side)}, s, b);
    // Isolated, the multiply layer meets a clear page and keeps its colour; passed through,
    // it meets the backdrop.
    const auto group = [&](const W::Layer &inside, const QByteArray &mode, const Change &change) {
        return Layers{backdrop} + Group({inside}, mode, change);
    };
    const Change same = [](W::Layer &) {};
    const W::Layer multiply = Flat(s, "mul ");
    const Colour multiplied{31, 82, 82};
    rgb("pass-through group", group(multiply, "pass", same), multiplied);
    rgb("isolated group", group(multiply, "norm", same), s);
    rgb("pass-through group at half opacity", group(multiply, "pass", halfOpaque), {92, 92, 143});
    rgb("isolated group in multiply", group(Flat(s), "mul ", same), multiplied);
    rgb("hidden group", group(Flat(s), "pass", hide), b);
    rgb("group mask", group(Flat(s), "norm", masked), b, s);
    rgb("pass-through group mask", group(Flat(s), "pass", masked), b, s);
    rgb("layer mask", layer(masked), b, s);
    rgb("disabled layer mask", layer([](auto &l) { (l.mask = LeftHidden())->disabled = true; }), s);
    rgb("layer mask at half density",
        layer([](auto &l) { (l.mask = LeftHidden())->density = 128; }), half, s);
    rgb("black outside the mask", layer([](auto &l) {
            l.mask = LeftHidden();
            l.mask->defaultColor = 0;
            l.mask->left = Half;
            l.mask->samples = [](int, int, int) { return quint16(0xFFFF); };
        }),
        b, s);
    // The clipped layer shows only where its base does, over the base's colour.
    const Colour white{255, 255, 255};
    const W::Layer base = Flat({255, 0, 0}, "norm", 255, 0, Half);
    const Change clip = [](W::Layer &l) { l.clipped = true; };
    const W::Layer clipped = With(Flat({0, 0, 255}), clip);
    const auto clipping = [&](const W::Layer &base, const W::Layer &top) {
        return Layers{Flat(white), base, top};
    };
    rgb("clipping group", clipping(base, clipped), {0, 0, 255}, white);
    rgb("clipped in multiply", clipping(base, With(clipped, [](auto &l) { l.blendMode = "mul "; })),
        {0, 0, 0}, white);
    rgb("clipped to a hidden base", clipping(With(base, hide), clipped), white);
    // With another clipped layer shown, for one alone leaves its base unclipped.
    rgb("hidden clipped layer",
        clipping(base, With(clipped, hide)) + Layers{With(Flat({255, 0, 0}, "mul "), clip)},
        {255, 0, 0}, white);
    rgb("clipping base at half opacity", clipping(With(base, halfOpaque), clipped), {127, 127, 255},
        white);
    rgb("half-transparent clipped layer",
        clipping(base, With(Flat({0, 0, 255}, "norm", 128), clip)), {127, 0, 128}, white);
    // Clipped to a base left of the canvas, a group has no pixel in any band, nor has the
    // clipping group inside it.
    rgb("group clipped to a base beside the canvas",
        Layers{Flat(white), Flat({255, 0, 0}, "norm", 255, -Side, Half)} +
            Group({Flat({0, 0, 255}, "norm", 255, Half, Half), With(Flat({0, 255, 0}), clip)},
                  "norm", clip),
        white);
    // What is hidden is not looked at.
    rgb("hidden adjustment layer", layer([](auto &l) {
            l.hidden = true;
            l.blocks = W::Block("levl", QByteArray(4, '\0'));
        }),
        b);
    rgb("grey midpoint", {Flat(white), Flat({128, 128, 128})}, {128, 128, 128});
    rgb("vector mask on a pixel layer", layer([](auto &l) {
            l.blocks = W::VectorMask({{0.5, 0, 1, 1}});
        }),
        b, s);
    // A vector and a layer mask at half density each let half through where they hide, a
    // quarter where both do; the writer's rendering of the two together says half.
    rgb("vector and layer mask at half density", layer([](auto &l) {
            l.blocks = W::VectorMask({{0.5, 0, 1, 1}});
            l.mask = W::Mask{Half, 0,     Half, Side, [](int, int, int) { return quint16(0xFFFF); },
                             0,    false, 128};
            (l.realMask = LeftHidden())->density = 128;
        }),
        {128, 127, 179}, s);
    FillRows(backdrop, b);
}

// Fills drawn from their colour where a vector mask lets them, rectangles combined in order.
void TestLayers::FillRows(const W::Layer &backdrop, const Colour &b)
{
    const Colour red{255, 0, 0};
    const auto rgb = [&](const char *name, int depth, const QByteArray &mask, bool left,
                         bool right) {
        const W::Layer fill = Fill(Red(), mask);
        QTest::newRow(name) << S{W::Rgb, depth, {backdrop, fill}, left ? red : b, right ? red : b};
    };
    const W::PathRect whole{0, 0, 1, 1};
    const W::PathRect right{0.5, 0, 1, 1};
    rgb("16-bit fill without a vector mask", 16, {}, true, true);
    rgb("16-bit shape", 16, W::VectorMask({right}), false, true);
    rgb("32-bit shape", 32, W::VectorMask({right}), false, true);
    rgb("shapes combined", 16, W::VectorMask({whole, right}), true, true);
    rgb("shape subtracted", 16, W::VectorMask({whole, {0.5, 0, 1, 1, 2}}), true, false);
    rgb("shapes intersected", 16, W::VectorMask({whole, {0.5, 0, 1, 1, 3}}), false, true);
    rgb("shapes excluded", 16, W::VectorMask({right, {0, 0, 1, 1, 0}}), true, false);
    rgb("inverted vector mask", 16, W::VectorMask({right}, 1), true, false);
    rgb("disabled vector mask", 16, W::VectorMask({right}, 4), true, true);
    const QByteArray grey = W::SolidColour("Grsc", {{"Gry ", 80}});
    QTest::newRow("grey 16-bit shape")
        << S{W::Grayscale, 16, {Flat({153}), Fill(grey, W::VectorMask({right}))}, {153}, {51}};
    const QByteArray magentaYellow =
        W::SolidColour("CMYC", {{"Cyn ", 0}, {"Mgnt", 100}, {"Ylw ", 100}, {"Blck", 0}});
    QTest::newRow("CMYK 16-bit shape")
        << S{W::Cmyk,
             16,
             {Flat({153, 153, 153, 255}), Fill(magentaYellow, W::VectorMask({right}))},
             {153, 153, 153, 255},
             {255, 0, 0, 255}};
}

void TestLayers::rebuilds()
{
    QFETCH(LayerScene, scene);
    const QString fault = scene.Fault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestLayers::refuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // how the reason starts

    const QString uses = "no flattened picture, and its layers use ";
    const auto alone = [&](const char *name, ColorMode mode, int depth, const W::Layer &layer,
                           const QString &named) {
        QTest::newRow(name) << StandIn(mode, depth, {layer}) << uses + named;
    };
    const auto rgb = [&](const char *name, const W::Layer &layer, const QString &named) {
        QTest::newRow(name) << StandIn(W::Rgb, 8, {Flat({153, 102, 204}), layer}) << uses + named;
    };
    const auto block = [](const QByteArray &key, const QByteArray &data) {
        return With(Flat({51, 204, 102}), [&](auto &l) { l.blocks = W::Block(key, data); });
    };
    const QByteArray four(4, '\0');
    rgb("adjustment layer", block("curv", four), "adjustment layers (curves)");
    rgb("layer style", block("lfx2", four), "layer styles");
    rgb("unknown layer data", block("zzzz", four), "layer data 'zzzz'");
    rgb("knockout", block("knko", QByteArray("\1\0\0\0", 4)), "knockout");
    rgb("vector mask that does not read",
        block("vmsk", QByteArray(8, '\0') + QByteArray("\0\1", 2) + QByteArray(24, '\0')),
        "vector masks that do not read");
    alone("fill of a colour not read", W::Rgb, 16, Fill(four),
          "fill layers without rendered pixels");
    alone("fill of another colour mode", W::Grayscale, 16, Fill(Red()),
          "fill colours of another colour mode");
    alone("gradient fill", W::Rgb, 16,
          With(Fill(Red()), [](auto &l) { l.blocks = W::Block("GdFl", "x"); }),
          "gradient settings that do not read");
    alone("shape stroke", W::Rgb, 16, Fill(Red(), W::Block("vstk", W::ShapeStroke(true))),
          "shape strokes");
    rgb("dissolve", Flat({0, 0, 0}, "diss", 128), "the dissolve blend mode");
    rgb("unknown blend mode", Flat({0, 0, 0}, "zzzz"), "the blend mode 'zzzz'");
    rgb("fill opacity in linear dodge",
        With(Flat({0, 0, 0}, "lddg"), [](auto &l) { l.fillOpacity = 128; }),
        "fill opacity with blend mode 'lddg'");
    rgb("feathered mask",
        With(Flat({0, 0, 0}), [](auto &l) { (l.mask = LeftHidden())->feather = 2.5; }),
        "feathered layer masks");
    alone("hue in CMYK", W::Cmyk, 8, Flat({0, 0, 0, 0}, "hue "),
          "hue, saturation, color or luminosity blending outside RGB");
    alone("screen in 32 bits", W::Rgb, 32, Flat({0, 0, 0}, "scrn"), "blend mode 'scrn' in 32 bits");
    alone("multichannel", W::Multichannel, 8, Flat({0, 0, 0}),
          "a colour mode other than grey, RGB, CMYK or Lab");
    alone("multiply in Lab", W::Lab, 8, Flat({0, 0, 0}, "mul "),
          "blend modes other than normal in Lab");
    QTest::newRow("no layers") << StandIn(W::Rgb, 8, {})
                               << "no flattened picture, and no layers to rebuild it from";
    DamagedRows();
}

// Layer data that does not read.
void TestLayers::DamagedRows()
{
    const auto damaged = [](const char *name, const QByteArray &bytes, const QString &reason) {
        QTest::newRow(name) << bytes << "damaged layer data: " + reason;
    };
    // One layer, packed, of a value that shows nowhere else: each row is one run of it.
    const QByteArray intact = StandIn(W::Rgb, 8, {Flat({7, 7, 7})});
    QByteArray overrun = intact;
    overrun[overrun.indexOf(QByteArray("\xE1\x07", 2))] = char(0xE0);
    damaged("packed row past its width", overrun,
            "a packed layer row does not fill its width exactly");
    // The first channel's length: after the sections before, the layer count, the rectangle,
    // the channel count and the channel's id.
    const qsizetype resources = qFromBigEndian<quint32>(intact.constData() + 30);
    const qsizetype lengthAt = 34 + resources + 4 + 4 + 2 + 16 + 2 + 2;
    QByteArray longChannel = intact;
    qToBigEndian<quint32>(0x7FFFFFFF, longChannel.data() + lengthAt);
    damaged("channel past its section", longChannel, "layer channel data cut short");
    QByteArray unsigned8bim = intact;
    unsigned8bim.replace(unsigned8bim.indexOf("8BIMnorm"), 4, "8BIX");
    damaged("record without its signature", unsigned8bim, "a layer record without its signature");
    QByteArray wide = intact;
    qToBigEndian<quint32>(40000, wide.data() + lengthAt - 2 - 2 - 4);
    damaged("layer wider than the format allows", wide, "a layer larger than the format allows");
    // The record's extra data ends inside the mask's length field, and the blending ranges run
    // on past it: the room left must not wrap round to everything (a claim of 4 GB was walked
    // for seconds).
    QByteArray rangesPastRecord = intact;
    const qsizetype extraAt = rangesPastRecord.indexOf("8BIMnorm") + 12;
    qToBigEndian<quint32>(2, rangesPastRecord.data() + extraAt);
    qToBigEndian<quint32>(8, rangesPastRecord.data() + extraAt + 8);
    damaged("blending ranges past their record", rangesPastRecord, "damaged blending ranges");
    damaged("group end without its group",
            StandIn(W::Rgb, 8, {With({}, [](auto &l) { l.kind = W::Layer::Kind::GroupEnd; })}),
            "layer groups do not pair up");
}

// Refused as unreadable, by a reason of our own that leaves nothing behind the next file
// could meet.
void TestLayers::refuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    const Result<Decoded> converted = RebuildFromLayers(bytes);
    QVERIFY(!converted);
    QCOMPARE(converted.Why().status, wire::Status::Unreadable);
    const QString detail = QString::fromStdString(converted.Why().detail);
    QVERIFY2(detail.startsWith(reason), qPrintable(detail));
    QVERIFY(!converted.NeedsFreshWorker());
}

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
