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

QByteArray PsdWriter::ChannelRow(int channel, int y) const
{
    QByteArray row;
    for (int x = 0; x < m_width; ++x) {
        const quint16 sample = m_samples(x, y, channel);
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
            const QByteArray row = ChannelRow(channel, y);
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

QByteArray PsdWriter::Bytes() const
{
    return Header(m_psb ? 2 : 1, ChannelCount(), m_height, m_width, m_depth, m_mode) +
           EmptySections(m_psb) + ImageData();
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

QByteArray PsdWriter::ClaimsHugeSize(bool psb)
{
    return Header(psb ? 2 : 1, 3, 300'000, 300'000, 8, Rgb) + EmptySections(psb) +
           QByteArray(2, '\0');
}
