#pragma once

#include "shared/psd/psdcontents.h"
#include "shared/psd/psdheader.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// Writes small PSD and PSB files for tests: the merged image, and on request image resources and
// layers.
class PsdWriter
{
public:
    using enum ::ColorMode;
    using enum ::Compression;
    using enum ::PsdVersion;
    // The stored sample of one channel at (x, y), 0 to 65535; 8-bit files keep the high byte.
    // CMYK is stored as in Photoshop, inverted: 65535 is no ink.
    using Samples = std::function<quint16(int x, int y, int channel)>;
    // A 32-bit sample as stored, any float at all.
    using Floats = std::function<float(int x, int y, int channel)>;

    PsdWriter(int width, int height, ColorMode mode, Samples samples)
        : m_width(width), m_height(height), m_mode(mode), m_samples(std::move(samples))
    {
    }

    // Channels after the colour ones, such as alpha; fewer than none leave colour ones out.
    PsdWriter &SetExtraChannels(int count) { return Set(m_extraChannels, count); }
    PsdWriter &SetDepth(int bits) { return Set(m_depth, bits); } // 8, 16 or 32 (floats)
    PsdWriter &SetCompression(Compression compression) { return Set(m_compression, compression); }
    PsdWriter &SetLargeFormat(bool psb) { return Set(m_psb, psb); }
    // 32-bit files: these floats instead of the samples' shares of 65535.
    PsdWriter &SetFloats(Floats floats) { return Set(m_floats, std::move(floats)); }
    PsdWriter &AddResource(quint16 id, const QByteArray &data);
    // RLE only: row y of the first channel packed as given, damaged or not.
    PsdWriter &SetFirstPackedRow(int y, const QByteArray &packed)
    {
        m_packedRow = {y, packed};
        return *this;
    }
    // One raw layer as large as the picture: the colour channels of these samples, then their
    // transparency. With mergedTransparency the layer count is negative, which says the merged
    // image's first extra channel is its transparency.
    PsdWriter &SetLayer(Samples samples, bool mergedTransparency);

    // A layer's mask: its rectangle, its samples there, the value outside it.
    struct Mask {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        Samples samples; // channel 0
        int defaultColor = 0;
        bool disabled = false;
        int density = 255;
        double feather = 0;
    };
    // A layer record and its pixels: the colour channels, then the transparency.
    struct Layer {
        enum class Kind { Pixels, Group, GroupEnd };
        Kind kind = Kind::Pixels;
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        Samples samples; // at (x, y) from the layer's corner
        QByteArray blendMode = "norm";
        int opacity = 255;
        int fillOpacity = 255;
        bool clipped = false;
        bool hidden = false;
        std::optional<Mask> mask;
        // The user's own mask where `mask` is the one rendered from the vector mask: its
        // density is the vector mask's then.
        std::optional<Mask> realMask;
        QByteArray blocks; // further tagged blocks, as Block writes them
    };
    // Layers bottom first, as stored: a group's end marker, its layers, then the group.
    PsdWriter &AddLayer(const Layer &layer);
    // A tagged block after the layers, such as the document's patterns.
    PsdWriter &AddSectionBlock(const QByteArray &block);
    // A tagged block of additional layer information.
    static QByteArray Block(const QByteArray &key, const QByteArray &data);
    // A `SoCo` block: a colour of class `model` ("RGBC", "Grsc", "CMYC") by its keys.
    static QByteArray SolidColour(const QByteArray &model,
                                  const QList<std::pair<QByteArray, double>> &components);
    // A gradient fill's settings, as Photoshop keeps them in a `GdFl` block: locations from 0
    // to 4096, each colour stop in `model` by its components in the order the model names them.
    struct Gradient {
        QByteArray type = "Lnr ";
        double angle = 90;
        double scale = 100;
        double offset = 0; // across, in percent
        bool reverse = false;
        bool align = true;
        QByteArray form = "CstS";
        double smoothness = 4096;
        double midpoint = 50;
        QByteArray model = "RGBC";
        QList<std::pair<int, QList<double>>> colours{{0, {0, 0, 0}}, {4096, {255, 255, 255}}};
        QList<std::pair<int, double>> opacities{{0, 100}, {4096, 100}};
    };
    static QByteArray GradientFill(const Gradient &gradient);
    // A `Patt` block of one 8-bit pattern of the document's mode, named by `id`.
    QByteArray Patterns(const QByteArray &id, int width, int height, const Samples &samples) const;
    // A pattern named by `id`, at `scale` percent, linked with its layer or not.
    struct PatternUse {
        QByteArray id;
        double scale = 100;
        bool linked = false;
    };
    // A `PtFl` block's data.
    static QByteArray PatternFill(const QByteArray &id, double scale = 100, bool linked = false);
    // An effect of a layer style: the class of its object ("SoFi" a colour overlay, "DrSh" a
    // drop shadow, "FrFX" a stroke), its blend mode as descriptors name them, its opacity in
    // percent, its colour, a gradient overlay's ("GrFl") gradient and a pattern overlay's
    // ("patternFill") pattern.
    struct Effect {
        QByteArray kind;
        bool enabled = true;
        QByteArray blendMode = "Nrml";
        double opacity = 100;
        QByteArray model = "RGBC";
        QList<std::pair<QByteArray, double>> colour;
        std::optional<Gradient> gradient;
        std::optional<PatternUse> pattern;
    };
    // An `lfx2` block: the style's master switch and its effects, each in a list of one.
    static QByteArray LayerStyle(bool on, const QList<Effect> &effects);
    // An `artb` block: an artboard over `rect` with a background of kind `background` (1 white,
    // 3 transparent, 4 this RGB colour).
    static QByteArray Artboard(const QRect &rect, int background, const QList<int> &rgb = {});
    // A `vstk` block whose stroke is on or off.
    static QByteArray ShapeStroke(bool enabled);
    // A rectangle of a vector mask in shares of the picture, combined by `operation` (0
    // exclude, 1 combine, 2 subtract, 3 intersect) with the shapes before it.
    struct PathRect {
        double left, top, right, bottom;
        int operation = 1;
    };
    // A `vmsk` block with these flags (1 inverted, 2 unlinked, 4 disabled).
    static QByteArray VectorMask(const QList<PathRect> &shapes, quint32 flags = 0);

    // The data of resource 1057: who wrote the file, and whether its merged image is the real
    // composite or a stand-in for it.
    static QByteArray VersionInfo(const QString &writer, bool realComposite);
    // A document as Photoshop saves it without a flattened picture: a white stand-in, packed,
    // that resource 1057 calls not real; the layers are the caller's to add.
    static PsdWriter WithoutComposite(int width, int height, ColorMode mode);

    QByteArray Bytes() const;

    static QByteArray Header(PsdVersion version, int channels, quint32 height, quint32 width,
                             int depth, ColorMode mode);
    // Damaged files of kinds that have crashed decoders.
    static QByteArray TruncatedInRowCounts();
    static QByteArray ResourceNameLengthFF();
    // An 8-bit PSB in RLE whose rows are each one value: little room for a picture of any size.
    static QByteArray FlatRows(int width, int height, ColorMode mode,
                               const std::function<quint8(int y, int channel)> &value);
    // A header and empty sections before two bytes of image data, nowhere near what it claims.
    static QByteArray ClaimsSize(PsdVersion version, int channels, quint32 width, quint32 height,
                                 int depth, ColorMode mode, Compression compression);

private:
    template <typename T> PsdWriter &Set(T &field, T value)
    {
        field = value;
        return *this;
    }
    int ColourChannels() const { return ::ColourChannels(m_mode); }
    QByteArray ChannelRow(const Samples &samples, int channel, int y, int width) const;
    QByteArray ChannelData(const Samples &samples, int first, int count, int width, int height,
                           const std::pair<int, QByteArray> &packed = {-1, {}}) const;
    QByteArray LayerRecord(const Layer &layer, QByteArray &data) const;
    QByteArray LayerSection() const;
    QByteArray ImageData() const;
    QByteArray Predicted(QByteArray row, int width) const;

    int m_width;
    int m_height;
    ColorMode m_mode;
    Samples m_samples;
    Floats m_floats;
    int m_extraChannels = 0;
    int m_depth = 8;
    Compression m_compression = Raw;
    bool m_psb = false;
    QByteArray m_resources;
    QList<Layer> m_layers;
    QByteArray m_sectionBlocks;
    bool m_mergedTransparency = false;
    std::pair<int, QByteArray> m_packedRow{-1, {}};
};
