#include "psdwriter.h"

#include <QFile>

namespace
{

void PutBig(QByteArray &out, quint64 value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

// Apple's PackBits: runs of one byte, or literal stretches, 128 bytes at most each.
QByteArray PackBits(const QByteArray &row)
{
    QByteArray out;
    qsizetype i = 0;
    while (i < row.size()) {
        qsizetype run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run > 1) {
            out += char(1 - run);
            out += row[i];
            i += run;
            continue;
        }
        const qsizetype start = i;
        while (i < row.size() && i - start < 128 && (i + 1 == row.size() || row[i + 1] != row[i]))
            ++i;
        out += char(i - start - 1);
        out += row.mid(start, i - start);
    }
    return out;
}

// Colour mode data, image resources, layer and mask information: all empty.
QByteArray EmptySections(bool psb)
{
    QByteArray out;
    PutBig(out, 0, 4);
    PutBig(out, 0, 4);
    PutBig(out, 0, psb ? 8 : 4);
    return out;
}

} // namespace

PsdWriter::PsdWriter(int width, int height, ColorMode mode, Samples samples)
    : m_width(width), m_height(height), m_mode(mode), m_samples(std::move(samples))
{
}

PsdWriter::Samples PsdWriter::FromImage(const QImage &image, ColorMode mode)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    return [argb, mode](int x, int y, int channel) -> quint16 {
        const QRgb pixel = argb.pixel(x, y);
        const int colours = mode == Grayscale ? 1 : 3;
        int value = 255;
        if (mode == Grayscale && channel == 0)
            value = qGray(pixel);
        else if (channel < colours)
            value = channel == 0 ? qRed(pixel) : channel == 1 ? qGreen(pixel) : qBlue(pixel);
        else if (channel == int(mode == Grayscale ? 1 : mode))
            value = qAlpha(pixel);
        return quint16(value * 257);
    };
}

PsdWriter &PsdWriter::SetExtraChannels(int count)
{
    m_extraChannels = count;
    return *this;
}

PsdWriter &PsdWriter::SetDepth(int bits)
{
    m_depth = bits;
    return *this;
}

PsdWriter &PsdWriter::SetCompression(Compression compression)
{
    m_compression = compression;
    return *this;
}

PsdWriter &PsdWriter::SetLargeFormat(bool psb)
{
    m_psb = psb;
    return *this;
}

PsdWriter &PsdWriter::AddResource(quint16 id, const QByteArray &data)
{
    m_resources += "8BIM";
    PutBig(m_resources, id, 2);
    PutBig(m_resources, 0, 2); // an empty name, padded to even length
    PutBig(m_resources, data.size(), 4);
    m_resources += data;
    if (data.size() % 2 != 0)
        m_resources += '\0';
    return *this;
}

PsdWriter &PsdWriter::SetLayer(Samples samples, bool mergedTransparency)
{
    m_layer = std::move(samples);
    m_mergedTransparency = mergedTransparency;
    return *this;
}

QByteArray PsdWriter::VersionInfo(const QString &writer, bool realComposite)
{
    QByteArray out;
    PutBig(out, 1, 4);
    out += char(realComposite ? 1 : 0);
    PutBig(out, writer.size(), 4);
    for (const QChar unit : writer)
        PutBig(out, unit.unicode(), 2);
    PutBig(out, 0, 4); // the reader's name, empty
    PutBig(out, 1, 4); // the file version
    return out;
}

QByteArray PsdWriter::Header(int version, int channels, quint32 height, quint32 width, int depth,
                             int colorMode)
{
    QByteArray out("8BPS");
    PutBig(out, version, 2);
    out += QByteArray(6, '\0');
    PutBig(out, channels, 2);
    PutBig(out, height, 4);
    PutBig(out, width, 4);
    PutBig(out, depth, 2);
    PutBig(out, colorMode, 2);
    return out;
}

QByteArray PsdWriter::ChannelRow(const Samples &samples, int channel, int y) const
{
    QByteArray row;
    for (int x = 0; x < m_width; ++x) {
        const quint16 sample = samples(x, y, channel);
        PutBig(row, m_depth == 16 ? sample : sample >> 8, m_depth / 8);
    }
    return row;
}

QByteArray PsdWriter::ImageData() const
{
    QByteArray counts;
    QByteArray rows;
    for (int channel = 0; channel < ChannelCount(); ++channel) {
        for (int y = 0; y < m_height; ++y) {
            const QByteArray row = ChannelRow(m_samples, channel, y);
            if (m_compression == Raw) {
                rows += row;
                continue;
            }
            const QByteArray packed = PackBits(row);
            PutBig(counts, packed.size(), m_psb ? 4 : 2);
            rows += packed;
        }
    }
    QByteArray out;
    PutBig(out, m_compression, 2);
    return out + counts + rows;
}

QByteArray PsdWriter::Resources() const
{
    QByteArray out;
    PutBig(out, m_resources.size(), 4);
    return out + m_resources;
}

// A record naming the layer's bounds and channels, then the channels' raw data.
QByteArray PsdWriter::LayerInfo() const
{
    const int lengthBytes = m_psb ? 8 : 4;
    const int channels = ColourChannels() + 1;
    QByteArray record;
    for (const int edge : {0, 0, m_height, m_width}) // top, left, bottom, right
        PutBig(record, edge, 4);
    PutBig(record, channels, 2);
    QByteArray data;
    for (int channel = 0; channel < channels; ++channel) {
        // The transparency channel's id is -1.
        PutBig(record, channel < ColourChannels() ? channel : 0xFFFF, 2);
        QByteArray channelData;
        PutBig(channelData, Raw, 2);
        for (int y = 0; y < m_height; ++y)
            channelData += ChannelRow(m_layer, channel, y);
        PutBig(record, channelData.size(), lengthBytes);
        data += channelData;
    }
    record += "8BIMnorm";
    record += QByteArray("\xFF\0\0\0", 4); // opacity, clipping, flags, filler
    // No mask, no blending ranges, an empty name padded to four bytes.
    PutBig(record, 12, 4);
    record += QByteArray(12, '\0');

    QByteArray out;
    PutBig(out, quint16(m_mergedTransparency ? -1 : 1), 2);
    out += record + data;
    if (out.size() % 2 != 0)
        out += '\0';
    return out;
}

QByteArray PsdWriter::LayerSection() const
{
    const int lengthBytes = m_psb ? 8 : 4;
    QByteArray section;
    if (m_layer) {
        const QByteArray info = LayerInfo();
        PutBig(section, info.size(), lengthBytes);
        section += info;
        PutBig(section, 0, 4); // no global layer mask
    }
    QByteArray out;
    PutBig(out, section.size(), lengthBytes);
    return out + section;
}

QByteArray PsdWriter::Bytes() const
{
    QByteArray colourModeData;
    PutBig(colourModeData, 0, 4);
    return Header(m_psb ? 2 : 1, ChannelCount(), m_height, m_width, m_depth, m_mode) +
           colourModeData + Resources() + LayerSection() + ImageData();
}

bool PsdWriter::WriteTo(const QString &path) const
{
    const QByteArray bytes = Bytes();
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray PsdWriter::TruncatedInRowCounts()
{
    const int size = 64;
    const PsdWriter writer = PsdWriter(size, size, Rgb, [](int x, int y, int) {
                                 return quint16((x ^ y) * 1000);
                             }).SetCompression(Rle);
    const int countsStart =
        Header(1, 3, size, size, 8, Rgb).size() + EmptySections(false).size() + 2;
    // Half of the 3 x 64 two-byte row counts.
    return writer.Bytes().left(countsStart + 3 * size);
}

QByteArray PsdWriter::ResourceNameLengthFF()
{
    QByteArray resources("8BIM");
    PutBig(resources, 1005, 2);
    resources += char(0xFF); // the longest name, already of even length with its length byte
    resources += QByteArray(255, 'n');
    PutBig(resources, 0xFFFFFFF0, 4); // and a data size that runs far past the section
    QByteArray out = Header(1, 3, 8, 8, 8, Rgb);
    PutBig(out, 0, 4);
    PutBig(out, resources.size(), 4);
    out += resources;
    PutBig(out, 0, 4);
    PutBig(out, Raw, 2);
    return out + QByteArray(3 * 8 * 8, char(0x80));
}

QByteArray PsdWriter::TooFewChannels(int resourceBytes)
{
    const int size = 8;
    QByteArray bytes = PsdWriter(size, size, Rgb, [](int, int, int) { return quint16(0x8000); })
                           .AddResource(1000, QByteArray(resourceBytes, '\0'))
                           .Bytes();
    bytes[13] = 2; // the channel count's low byte
    return bytes.left(bytes.size() - size * size);
}

QByteArray PsdWriter::ClaimsHugeSize(bool psb)
{
    return Header(psb ? 2 : 1, 3, 300'000, 300'000, 8, Rgb) + EmptySections(psb) +
           QByteArray(2, '\0');
}
