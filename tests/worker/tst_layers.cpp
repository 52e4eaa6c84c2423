// Pictures rebuilt from their layers where the file holds no flattened one: blend modes, groups,
// masks, clipping and opacity in each colour mode and depth, against values worked out from
// Photoshop's rules; what is not rendered refused by name; damaged layer data refused.
#include "support/fixtures.h"
#include "support/psdwriter.h"
#include "worker/decodeplan.h"
#include "worker/layers/layerconversion.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace
{

using W = PsdWriter;
using Layers = QList<W::Layer>;
using Colour = QList<int>; // stored 8-bit values of the colour channels

// Two halves a whole JPEG block wide each, so that no colour bleeds from one into the other.
constexpr int Side = 32;
constexpr int Half = Side / 2;

// A layer of one colour, as opaque as `alpha`, over columns [left, left + width).
W::Layer Flat(const Colour &colour, const QByteArray &mode = "norm", int alpha = 255, int left = 0,
              int width = Side)
{
    W::Layer layer;
    layer.left = left;
    layer.width = width;
    layer.height = Side;
    layer.blendMode = mode;
    layer.samples = [colour, alpha](int, int, int channel) {
        return quint16((channel < colour.size() ? colour[channel] : alpha) * 257);
    };
    return layer;
}

W::Layer With(W::Layer layer, const std::function<void(W::Layer &)> &change)
{
    change(layer);
    return layer;
}

// The layers wrapped in a group: its end marker, the layers, then the group's own record.
Layers Group(const Layers &layers, const QByteArray &mode, int opacity = 255)
{
    W::Layer end;
    end.kind = W::Layer::Kind::GroupEnd;
    W::Layer group = end;
    group.kind = W::Layer::Kind::Group;
    group.blendMode = mode;
    group.opacity = opacity;
    return Layers{end} + layers + Layers{group};
}

// A mask hiding the left half; the right half shows.
W::Mask LeftHidden()
{
    W::Mask mask;
    mask.width = Half;
    mask.height = Side;
    mask.samples = [](int, int, int) { return quint16(0); };
    mask.defaultColor = 255;
    return mask;
}

// As Photoshop saves a document without its flattened picture: a white stand-in, flagged so.
QByteArray StandIn(ColorMode mode, int depth, const Layers &layers)
{
    W file(Side, Side, mode, [](int, int, int) { return quint16(0xFFFF); });
    file.SetDepth(depth).SetCompression(W::Rle);
    file.AddResource(1057, W::VersionInfo("Adobe Photoshop", false));
    for (const W::Layer &layer : layers)
        file.AddLayer(layer);
    return file.Bytes();
}

struct Outcome {
    Result<Decoded> converted;
    QImage image;
};

// The file through the plan and the compositor as the worker takes it.
Outcome Rebuild(const QByteArray &bytes)
{
    const QTemporaryDir dir;
    const std::string source = QFile::encodeName(WriteFile(dir, "a.psd", bytes)).toStdString();
    const QString jpeg = dir.filePath("a.jpg");
    Result<Decoded> converted =
        PlanDecode(source).Then([&](const DecodePlan &plan) -> Result<Decoded> {
            if (plan.decoder != Decoder::Layers)
                return Failure{wire::Status::Unreadable, "not planned for the compositor"};
            return ConvertFromLayers(source, QFile::encodeName(jpeg).toStdString(), plan);
        });
    return {std::move(converted), QImage(jpeg)};
}

// How a pixel shows: grey and RGB as they are, CMYK (stored as what is left of the paper)
// by the plain formula of an ink without a profile.
QRgb Shown(ColorMode mode, const Colour &colour)
{
    if (mode == W::Grayscale)
        return qRgb(colour[0], colour[0], colour[0]);
    const int k = mode == W::Cmyk ? colour[3] : 255;
    return qRgb(colour[0] * k / 255, colour[1] * k / 255, colour[2] * k / 255);
}

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 &&
           std::abs(qBlue(a) - qBlue(b)) <= 2;
}

QString Text(QRgb rgb)
{
    return QString("(%1, %2, %3)").arg(qRed(rgb)).arg(qGreen(rgb)).arg(qBlue(rgb));
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void rebuilds_data();
    void rebuilds();
    void refuses_data();
    void refuses();
    void damaged_data();
    void damaged();
};

void TestLayers::rebuilds_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("depth");
    QTest::addColumn<Layers>("layers");
    QTest::addColumn<Colour>("left");  // how the left half shows, in the mode's stored values
    QTest::addColumn<Colour>("right"); // and the right

    // Each mode over a backdrop of (0.6, 0.4, 0.8), the layer (0.2, 0.8, 0.4).
    const Colour b{153, 102, 204};
    const Colour s{51, 204, 102};
    const QList<std::pair<const char *, Colour>> modes = {
        {"norm", s},
        {"mul ", {31, 82, 82}},    // b s
        {"scrn", {173, 224, 224}}, // b + s - b s
        {"over", {92, 163, 194}},  // hard light with the two swapped
        {"dark", {51, 102, 102}},
        {"lite", {153, 204, 204}},
        {"div ", {191, 255, 255}}, // colour dodge: b / (1 - s)
        {"idiv", {0, 64, 128}},    // colour burn: 1 - (1 - b) / s
        {"lddg", {204, 255, 255}}, // b + s
        {"lbrn", {0, 51, 51}},     // b + s - 1
        {"hLit", {61, 194, 163}},  // 2 b s, or screen by 2 s - 1
        {"sLit", {116, 138, 196}}, // b - (1 - 2s) b (1 - b), or b + (2s - 1)(sqrt b - b)
        {"vLit", {0, 255, 191}},   // burn by 2 s, or dodge by 2 s - 1
        {"lLit", {0, 255, 153}},   // b + 2 s - 1
        {"pLit", {102, 153, 204}}, // min(b, 2 s), or max(b, 2 s - 1)
        {"hMix", {0, 255, 255}},   // whether b + s reaches 1
        {"diff", {102, 102, 102}}, // |b - s|
        {"smud", {143, 143, 143}}, // b + s - 2 b s
        {"fsub", {102, 0, 102}},   // b - s
        {"fdiv", {255, 128, 255}}, // b / s
        {"hue ", {65, 167, 99}},   // s's hue with b's saturation and luminosity
        {"sat ", {165, 89, 242}},  // b's hue and luminosity with s's saturation
        {"colr", {33, 186, 84}},   // s's hue and saturation with b's luminosity
        {"lum ", {171, 120, 222}}, // b's colour with s's luminosity
        {"dkCl", b},               // whichever has the lower luminosity
        {"lgCl", s},
    };
    for (const auto &[key, shown] : modes) {
        for (const int depth : {8, 16}) {
            QTest::addRow("RGB %d '%s'", depth, key)
                << int(W::Rgb) << depth << Layers{Flat(b), Flat(s, key)} << shown << shown;
        }
    }
    // The separable modes work alike on grey, and on CMYK as stored (what is left of the
    // paper), where no black ink differs from no black ink by all of it.
    const QList<std::tuple<const char *, int, int>> separable = {{"mul ", 31, 255},
                                                                 {"scrn", 173, 255},
                                                                 {"over", 92, 255},
                                                                 {"sLit", 116, 255},
                                                                 {"diff", 102, 0}};
    for (const auto &[key, shown, black] : separable) {
        for (const int depth : {8, 16}) {
            QTest::addRow("grey %d '%s'", depth, key)
                << int(W::Grayscale) << depth << Layers{Flat({153}), Flat({51}, key)}
                << Colour{shown} << Colour{shown};
            const Colour ink{shown, shown, shown, black};
            QTest::addRow("CMYK %d '%s'", depth, key)
                << int(W::Cmyk) << depth
                << Layers{Flat({153, 153, 153, 255}), Flat({51, 51, 51, 255}, key)} << ink << ink;
        }
    }
    // 32-bit values are linear light; these modes keep their meaning there.
    for (const char *key : {"norm", "mul ", "dark", "lite", "diff"}) {
        const Colour shown =
            modes
                .value(int(std::find_if(modes.cbegin(), modes.cend(),
                                        [&](auto &m) { return QByteArray(m.first) == key; }) -
                           modes.cbegin()))
                .second;
        QTest::addRow("RGB 32 '%s'", key)
            << int(W::Rgb) << 32 << Layers{Flat(b), Flat(s, key)} << shown << shown;
    }

    const auto rgb = [](const char *name, const Layers &layers, const Colour &left,
                        const Colour &right) {
        QTest::newRow(name) << int(W::Rgb) << 8 << layers << left << right;
    };
    const Colour red{255, 0, 0};
    const Colour blue{0, 0, 255};
    const Colour white{255, 255, 255};
    const Colour mid{128, 128, 128};
    const W::Layer backdrop = Flat(b);
    const W::Layer multiply = Flat(s, "mul ");
    rgb("opacity", {backdrop, With(Flat(s), [](auto &l) { l.opacity = 128; })}, {102, 153, 153},
        {102, 153, 153});
    rgb("fill opacity", {backdrop, With(Flat(s), [](auto &l) { l.fillOpacity = 128; })},
        {102, 153, 153}, {102, 153, 153});
    rgb("hidden layer", {backdrop, With(Flat(s), [](auto &l) { l.hidden = true; })}, b, b);
    rgb("half transparent, on white", {Flat(red, "norm", 128)}, {255, 127, 127}, {255, 127, 127});
    rgb("layer over part of the picture", {backdrop, Flat(s, "norm", 255, Half, Half)}, b, s);
    rgb("layer past the picture's edge", {backdrop, Flat(s, "norm", 255, -Half, Side)}, s, b);
    // Isolated, the multiply layer meets a clear page and keeps its colour; passed through,
    // it meets the backdrop.
    rgb("pass-through group", Layers{backdrop} + Group({multiply}, "pass"), {31, 82, 82},
        {31, 82, 82});
    rgb("isolated group", Layers{backdrop} + Group({multiply}, "norm"), s, s);
    rgb("pass-through group at half opacity", Layers{backdrop} + Group({multiply}, "pass", 128),
        {92, 92, 143}, {92, 92, 143});
    rgb("isolated group in multiply", Layers{backdrop} + Group({Flat(s)}, "mul "), {31, 82, 82},
        {31, 82, 82});
    Layers hiddenGroup = Layers{backdrop} + Group({Flat(s)}, "pass");
    hiddenGroup.last().hidden = true;
    rgb("hidden group", hiddenGroup, b, b);
    Layers maskedGroup = Layers{backdrop} + Group({Flat(s)}, "norm");
    maskedGroup.last().mask = LeftHidden();
    rgb("group mask", maskedGroup, b, s);
    Layers maskedPassThrough = Layers{backdrop} + Group({Flat(s)}, "pass");
    maskedPassThrough.last().mask = LeftHidden();
    rgb("pass-through group mask", maskedPassThrough, b, s);
    const W::Mask hide = LeftHidden();
    rgb("layer mask", {backdrop, With(Flat(s), [&](auto &l) { l.mask = hide; })}, b, s);
    rgb("disabled layer mask",
        {backdrop, With(Flat(s), [&](auto &l) { (l.mask = hide)->disabled = true; })}, s, s);
    rgb("layer mask at half density",
        {backdrop, With(Flat(s), [&](auto &l) { (l.mask = hide)->density = 128; })},
        {102, 153, 153}, s);
    rgb("black outside the mask",
        {backdrop, With(Flat(s),
                        [&](auto &l) {
                            l.mask = hide;
                            l.mask->defaultColor = 0;
                            l.mask->left = Half;
                            l.mask->samples = [](int, int, int) { return quint16(0xFFFF); };
                        })},
        b, s);
    // The clipped layer shows only where its base does, over the base's colour.
    const W::Layer base = Flat(red, "norm", 255, 0, Half);
    const W::Layer clipped = With(Flat(blue), [](auto &l) { l.clipped = true; });
    rgb("clipping group", {Flat(white), base, clipped}, blue, white);
    rgb("clipped in multiply",
        {Flat(white), base, With(clipped, [](auto &l) { l.blendMode = "mul "; })}, {0, 0, 0},
        white);
    rgb("clipped to a hidden base",
        {Flat(white), With(base, [](auto &l) { l.hidden = true; }), clipped}, white, white);
    rgb("hidden clipped layer",
        {Flat(white), base, With(clipped, [](auto &l) { l.hidden = true; })}, red, white);
    rgb("clipping base at half opacity",
        {Flat(white), With(base, [](auto &l) { l.opacity = 128; }), clipped}, {127, 127, 255},
        white);
    rgb("half-transparent clipped layer",
        {Flat(white), base, With(Flat(blue, "norm", 128), [](auto &l) { l.clipped = true; })},
        {127, 0, 128}, white);
    // Clipped to a base beside the canvas, a group has no pixel in any band: its mask is not
    // looked at either.
    Layers besideCanvas =
        Layers{Flat(white), Flat(red, "norm", 255, Side + 4, Half)} + Group({Flat(blue)}, "norm");
    besideCanvas.last().clipped = true;
    rgb("group clipped to a base beside the canvas", besideCanvas, white, white);
    // What is hidden is not looked at.
    rgb("hidden adjustment layer",
        {backdrop, With(Flat(s),
                        [](auto &l) {
                            l.hidden = true;
                            l.blocks = W::Block("levl", QByteArray(4, '\0'));
                        })},
        b, b);
    rgb("grey midpoint", {Flat(white), Flat(mid)}, mid, mid);
}

void TestLayers::rebuilds()
{
    QFETCH(int, mode);
    QFETCH(int, depth);
    QFETCH(Layers, layers);
    QFETCH(Colour, left);
    QFETCH(Colour, right);

    const auto colorMode = ColorMode(mode);
    const Outcome outcome = Rebuild(StandIn(colorMode, depth, layers));
    QVERIFY2(outcome.converted, outcome.converted ? "" : outcome.converted.Why().detail.c_str());
    QCOMPARE(outcome.converted->detail, "layers");
    for (const auto &[x, expected] : {std::pair{Half / 2, left}, {Side - Half / 2, right}}) {
        const QRgb shown = outcome.image.pixel(x, Side / 2);
        QVERIFY2(Near(shown, Shown(colorMode, expected)),
                 qPrintable(Text(shown) + " where " + Text(Shown(colorMode, expected))));
    }
}

void TestLayers::refuses_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("named"); // in the reason

    const W::Layer backdrop = Flat({153, 102, 204});
    const auto rgb = [&](const char *name, const W::Layer &layer, const QString &named) {
        QTest::newRow(name) << StandIn(W::Rgb, 8, {backdrop, layer}) << named;
    };
    const auto block = [](const QByteArray &key, const QByteArray &data) {
        return With(Flat({51, 204, 102}), [&](auto &l) { l.blocks = W::Block(key, data); });
    };
    const QByteArray four(4, '\0');
    rgb("adjustment layer", block("curv", four), "adjustment layers (curves)");
    rgb("layer style", block("lfx2", four), "layer styles");
    rgb("unknown layer data", block("zzzz", four), "layer data 'zzzz'");
    rgb("knockout", block("knko", QByteArray("\1\0\0\0", 4)), "knockout");
    rgb("vector mask not rendered", block("vmsk", QByteArray(8, '\0')), "vector masks");
    rgb("solid colour fill without pixels", With(block("SoCo", four), [](auto &l) { l.width = 0; }),
        "fill layers without rendered pixels");
    rgb("dissolve", Flat({0, 0, 0}, "diss"), "the dissolve blend mode");
    rgb("unknown blend mode", Flat({0, 0, 0}, "zzzz"), "the blend mode 'zzzz'");
    rgb("fill opacity in linear dodge",
        With(Flat({0, 0, 0}, "lddg"), [](auto &l) { l.fillOpacity = 128; }),
        "fill opacity with blend mode 'lddg'");
    W::Mask feathered = LeftHidden();
    feathered.feather = 2.5;
    rgb("feathered mask", With(Flat({0, 0, 0}), [&](auto &l) { l.mask = feathered; }),
        "feathered layer masks");
    QTest::newRow("hue in CMYK") << StandIn(W::Cmyk, 8, {Flat({0, 0, 0, 0}, "hue ")})
                                 << "hue, saturation, color or luminosity blending outside RGB";
    QTest::newRow("screen in 32 bits")
        << StandIn(W::Rgb, 32, {Flat({0, 0, 0}, "scrn")}) << "blend mode 'scrn' in 32 bits";
    QTest::newRow("Lab") << StandIn(W::Lab, 8, {Flat({0, 0, 0})})
                         << "a colour mode other than grey, RGB or CMYK";
    QTest::newRow("no layers") << StandIn(W::Rgb, 8, {}) << "no layers to rebuild it from";
}

void TestLayers::refuses()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, named);

    const Result<Decoded> converted = Rebuild(bytes).converted;
    QVERIFY(!converted);
    const Failure &why = converted.Why();
    QCOMPARE(why.status, wire::Status::Unreadable);
    QVERIFY2(QString::fromStdString(why.detail).startsWith("no flattened picture, and "),
             why.detail.c_str());
    QVERIFY2(QString::fromStdString(why.detail).contains(named), why.detail.c_str());
    // A refusal of our own leaves nothing behind that the next file could meet.
    QVERIFY(!converted.NeedsFreshWorker());
}

void TestLayers::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    // One layer, packed, of a value that shows nowhere else: each row is one run of it.
    const QByteArray intact = StandIn(W::Rgb, 8, {Flat({7, 7, 7})});
    const QByteArray run = QByteArray("\xE1\x07", 2);
    QByteArray overrun = intact;
    overrun[overrun.indexOf(run)] = char(0xE0);
    QTest::newRow("packed row past its width")
        << overrun << "a packed layer row does not fill its width exactly";
    // The first channel's length: after the sections before, the layer count, the rectangle,
    // the channel count and the channel's id.
    const qsizetype resources = qFromBigEndian<quint32>(intact.constData() + 30);
    const qsizetype lengthAt = 34 + resources + 4 + 4 + 2 + 16 + 2 + 2;
    QByteArray longChannel = intact;
    qToBigEndian<quint32>(0x7FFFFFFF, longChannel.data() + lengthAt);
    QTest::newRow("channel past its section") << longChannel << "layer channel data cut short";
    QByteArray unsigned8bim = intact;
    unsigned8bim.replace(unsigned8bim.indexOf("8BIMnorm"), 4, "8BIX");
    QTest::newRow("record without its signature")
        << unsigned8bim << "a layer record without its signature";
    QByteArray wide = intact;
    qToBigEndian<quint32>(40000, wide.data() + lengthAt - 2 - 2 - 4);
    QTest::newRow("layer wider than the format allows")
        << wide << "a layer larger than the format allows";
    // The record's extra data ends inside the mask's length field, and the blending ranges run
    // on past it: the room left must not wrap round to everything (a claim of 4 GB was walked
    // for seconds).
    QByteArray rangesPastRecord = intact;
    const qsizetype extraAt = rangesPastRecord.indexOf("8BIMnorm") + 12;
    qToBigEndian<quint32>(2, rangesPastRecord.data() + extraAt);
    qToBigEndian<quint32>(8, rangesPastRecord.data() + extraAt + 8);
    QTest::newRow("blending ranges past their record")
        << rangesPastRecord << "damaged blending ranges";
    W::Layer end;
    end.kind = W::Layer::Kind::GroupEnd;
    QTest::newRow("group end without its group")
        << StandIn(W::Rgb, 8, {end, Flat({7, 7, 7})}) << "layer groups do not pair up";
}

void TestLayers::damaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);

    const Result<Decoded> converted = Rebuild(bytes).converted;
    QVERIFY(!converted);
    QCOMPARE(converted.Why().status, wire::Status::Unreadable);
    QCOMPARE(QString::fromStdString(converted.Why().detail), "damaged layer data: " + reason);
}

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
