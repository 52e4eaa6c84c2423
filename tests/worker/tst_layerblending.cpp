// Each blend mode rebuilt from the layers of a document without a flattened picture, in each
// colour mode and depth, against values worked out from Photoshop's rules.
#include "support/layerscene.h"

#include <QTest>

namespace
{

using W = PsdWriter;
using S = LayerScene;

} // namespace

class TestLayerBlending : public QObject
{
    Q_OBJECT

private slots:
    void blends_data();
    void blends();
};

void TestLayerBlending::blends_data()
{
    QTest::addColumn<LayerScene>("scene");

    // Each mode over a backdrop of (0.6, 0.4, 0.8), the layer (0.2, 0.8, 0.4).
    const S::Colour b{153, 102, 204};
    const S::Colour s{51, 204, 102};
    const QList<std::pair<const char *, S::Colour>> modes = {
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
    // The blending is the same whatever the depth the samples were read from; 32-bit values
    // are linear light, where only these modes keep their meaning.
    const QByteArrayList linear = {"norm", "mul ", "dark", "lite", "diff"};
    for (const auto &[key, shown] : modes) {
        for (const int depth : {8, 16, 32}) {
            if ((depth == 16 && QByteArray(key) != "sLit") ||
                (depth == 32 && !linear.contains(key)))
                continue;
            QTest::addRow("RGB %d '%s'", depth, key)
                << S{W::Rgb, depth, {Flat(b), Flat(s, key)}, shown, shown};
        }
    }
    // The separable modes work alike on grey, and on CMYK as stored (what is left of the
    // paper), where no black ink differs from no black ink by all of it.
    QTest::newRow("grey 8 'scrn'")
        << S{W::Grayscale, 8, {Flat({153}), Flat({51}, "scrn")}, {173}, {173}};
    const auto cmyk = [](int depth, const char *key, int shown, int black) {
        const S::Colour ink{shown, shown, shown, black};
        QTest::addRow("CMYK %d '%s'", depth, key) << S{
            W::Cmyk, depth, {Flat({153, 153, 153, 255}), Flat({51, 51, 51, 255}, key)}, ink, ink};
    };
    cmyk(8, "mul ", 31, 255);
    cmyk(16, "diff", 102, 0);
}

void TestLayerBlending::blends()
{
    QFETCH(LayerScene, scene);
    const QString fault = scene.Fault();
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_GUILESS_MAIN(TestLayerBlending)
#include "tst_layerblending.moc"
