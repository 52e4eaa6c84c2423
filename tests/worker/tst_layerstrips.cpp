// A band composed a few rows at a time holds exactly what it holds composed at once, wherever
// the strips part it and whatever the layers do there; and wide layers, whose packed rows are
// read many at a time, give each row its own samples.
#include "shared/psd/layersection.h"
#include "support/fixtures.h"
#include "support/layerscene.h"
#include "worker/layers/layertree.h"
#include "worker/layers/strips.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

using W = PsdWriter;

// At this width a strip is two rows.
constexpr int Width = 8192;
constexpr int Height = 9;

// Samples that change from pixel to pixel and from row to row, transparency included.
quint16 Varied(int x, int y, int channel)
{
    return quint16(((x * 7 + y * 29 + channel * 50) % 256) * 257);
}

W::Layer Rows(int top, int height, const QByteArray &mode, int opacity = 255)
{
    W::Layer layer;
    layer.left = 100;
    layer.top = top;
    layer.width = Width - 300;
    layer.height = height;
    layer.samples = Varied;
    layer.blendMode = mode;
    layer.opacity = opacity;
    return layer;
}

// Layers pass a band of `rows` rows from `top`, at once or a strip at a time.
std::vector<float> Composed(const QByteArray &bytes, int top, int rows, bool strips)
{
    const QTemporaryDir dir;
    const std::string path = QFile::encodeName(WriteFile(dir, "a.psd", bytes)).toStdString();
    const Result<PsdHeader> header = ReadPsdHeader(path);
    const Result<LayerSection> section = ReadLayerSection(path, *header);
    const std::optional<std::vector<LayerNode>> tree = BuildLayerTree(section->layers);
    LayerCompositor compositor(path, *header, *tree);
    PixelBand band(0, top, Width, rows, 4);
    const bool composed =
        strips ? ComposeInStrips(compositor, top, band) : compositor.Compose(top, band);
    return composed ? std::vector<float>(band.values.begin(), band.values.end())
                    : std::vector<float>();
}

} // namespace

class TestLayerStrips : public QObject
{
    Q_OBJECT

private slots:
    void sameAsWhole_data();
    void sameAsWhole();
    void rowsAcrossReads();
};

void TestLayerStrips::sameAsWhole_data()
{
    QTest::addColumn<Layers>("layers");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("rows");

    const Layers page{Rows(0, Height, "norm")};
    W::Layer masked = Rows(3, 4, "norm");
    masked.mask = W::Mask{0, 4, Width, 2, Varied, 255};
    QTest::newRow("layers starting and ending within strips")
        << (page + Layers{Rows(2, 3, "mul ", 200), Rows(5, 1, "scrn")}) << 1 << 7;
    QTest::newRow("a last strip of one row") << (page + Layers{Rows(1, 7, "over")}) << 0 << 5;
    QTest::newRow("a mask over part of the rows") << (page + Layers{masked}) << 2 << 6;
    QTest::newRow("a masked pass-through group")
        << (page + Group({Rows(1, 6, "diff", 180)}, "pass",
                         [](W::Layer &group) { group.mask = W::Mask{0, 3, Width, 3, Varied, 0}; }))
        << 0 << Height;
}

void TestLayerStrips::sameAsWhole()
{
    QFETCH(Layers, layers);
    QFETCH(int, top);
    QFETCH(int, rows);
    PsdWriter file = W::WithoutComposite(Width, Height, W::Rgb);
    for (const W::Layer &layer : layers)
        file.AddLayer(layer);
    const std::vector<float> whole = Composed(file.Bytes(), top, rows, false);
    QCOMPARE(whole.size(), std::size_t(Width) * std::size_t(rows) * 4);
    QVERIFY(whole == Composed(file.Bytes(), top, rows, true));
}

// Packed rows of a wide layer are read ahead many at a time, and every row is still its own.
void TestLayerStrips::rowsAcrossReads()
{
    W::Layer layer = Rows(0, Height, "norm");
    layer.samples = [](int x, int y, int channel) {
        return channel == 3 ? quint16(0xFFFF) : Varied(x, y, channel);
    };
    PsdWriter file = W::WithoutComposite(Width, Height, W::Rgb).AddLayer(layer);
    const std::vector<float> band = Composed(file.Bytes(), 0, Height, true);
    QCOMPARE(band.size(), std::size_t(Width) * Height * 4);
    for (int y = 0; y < Height; ++y) {
        for (int x = layer.left; x < layer.left + layer.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                const float stored = float(Varied(x - layer.left, y, c) >> 8) / 255.0f;
                QCOMPARE(band[std::size_t((y * Width + x) * 4 + c)], stored);
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestLayerStrips)
#include "tst_layerstrips.moc"
