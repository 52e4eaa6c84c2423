#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// Writes small PSD and PSB files for tests: the merged image, and on request image resources and
// one layer.
class PsdWriter
{
public:
    enum ColorMode { Grayscale = 1, Rgb = 3, Cmyk = 4 };
    enum Compression { Raw = 0, Rle = 1 };
    // The stored sample of one channel at (x, y), 0 to 65535; 8-bit files keep the high byte.
    // CMYK is stored as in Photoshop, inverted: 65535 is no ink.
    using Samples = std::function<quint16(int x, int y, int channel)>;

    PsdWriter(int width, int height, ColorMode mode, Samples samples);
    // The image's grey or red, green, blue, then alpha; for CMYK its colours as ink with no
    // black (stored C, M, Y = R, G, B), then alpha.
    static Samples FromImage(const QImage &image, ColorMode mode);

    // Channels after the colour ones, such as alpha.
    PsdWriter &SetExtraChannels(int count);
    PsdWriter &SetDepth(int bits); // 8 or 16
    PsdWriter &SetCompression(Compression compression);
    PsdWriter &SetLargeFormat(bool psb);
    PsdWriter &AddResource(quint16 id, const QByteArray &data);
    // One raw layer as large as the picture: the colour channels of these samples, then their
    // transparency. With mergedTransparency the layer count is negative, which says the merged
    // image's first extra channel is its transparency.
    PsdWriter &SetLayer(Samples samples, bool mergedTransparency);

    // The data of resource 1057: who wrote the file, and whether its merged image is the real
    // composite or a stand-in for it.
    static QByteArray VersionInfo(const QString &writer, bool realComposite);

    QByteArray Bytes() const;
    bool WriteTo(const QString &path) const;

    static QByteArray Header(int version, int channels, quint32 height, quint32 width, int depth,
                             int colorMode);
    // Damaged files of kinds that have crashed decoders.
    static QByteArray TruncatedInRowCounts();
    static QByteArray ResourceNameLengthFF();
    static QByteArray ClaimsHugeSize(bool psb); // 300,000 x 300,000 pixels, with no data
    // RGB with two channels: DevIL refuses it only after taking a buffer for the image
    // resources, which it never frees.
    static QByteArray TooFewChannels(int resourceBytes);

private:
    int ColourChannels() const { return m_mode == Grayscale ? 1 : int(m_mode); }
    int ChannelCount() const { return ColourChannels() + m_extraChannels; }
    QByteArray ChannelRow(const Samples &samples, int channel, int y) const;
    QByteArray Resources() const;
    QByteArray LayerSection() const;
    QByteArray LayerInfo() const;
    QByteArray ImageData() const;

    int m_width;
    int m_height;
    ColorMode m_mode;
    Samples m_samples;
    int m_extraChannels = 0;
    int m_depth = 8;
    Compression m_compression = Raw;
    bool m_psb = false;
    QByteArray m_resources;
    Samples m_layer;
    bool m_mergedTransparency = false;
};
