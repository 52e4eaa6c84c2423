#include "support/psdwriter.h"

#include "support/bigendian.h"

#include <bit>

namespace
{

// PackBits: a run for every repeated byte, a one-byte literal for any other.
QByteArray PackBits(const QByteArray &row)
{
    QByteArray out;
    for (qsizetype i = 0, run = 1; i < row.size(); i += run) {
        for (run = 1; i + run < row.size() && run < 128 && row[i + run] == row[i];)
            ++run;
        out += char(run > 1 ? 1 - run : 0);
        out += row[i];
    }
    return out;
}

} // namespace

PsdWriter &PsdWriter::AddResource(quint16 id, const QByteArray &data)
{
    // An empty name, padded to even length, as the data is.
    m_resources += "8BIM" + Big(id, 2) + Big(0, 2) + Big(data.size(), 4) + data +
                   QByteArray(data.size() % 2, '\0');
    return *this;
}

PsdWriter PsdWriter::WithoutComposite(int width, int height, ColorMode mode)
{
    return PsdWriter(width, height, mode, [](int, int, int) { return quint16(0xFFFF); })
        .SetCompression(Rle)
        .AddResource(1057, VersionInfo("Adobe Photoshop", false));
}

QByteArray PsdWriter::VersionInfo(const QString &writer, bool realComposite)
{
    QByteArray out = Big(1, 4) + char(realComposite) + Big(writer.size(), 4);
    for (const QChar unit : writer)
        out += Big(unit.unicode(), 2);
    return out + Big(0, 4) + Big(1, 4); // no reader's name, file version 1
}

QByteArray PsdWriter::Header(PsdVersion version, int channels, quint32 height, quint32 width,
                             int depth, ColorMode mode)
{
    return "8BPS" + Big(quint64(version), 2) + QByteArray(6, '\0') + Big(channels, 2) +
           Big(height, 4) + Big(width, 4) + Big(depth, 2) + Big(quint64(mode), 2);
}

QByteArray PsdWriter::ChannelRow(const Samples &samples, int channel, int y, int width) const
{
    QByteArray row;
    for (int x = 0; x < width; ++x) {
        if (m_depth == 32) {
            const float value =
                m_floats ? m_floats(x, y, channel) : float(samples(x, y, channel)) / 65535.0F;
            row += Big(std::bit_cast<quint32>(value), 4);
            continue;
        }
        const quint16 sample = samples(x, y, channel);
        row += m_depth == 8 ? Big(sample >> 8, 1) : Big(sample, 2);
    }
    return row;
}

QByteArray PsdWriter::ImageData() const
{
    return ChannelData(m_samples, 0, ColourChannels() + m_extraChannels, m_width, m_height,
                       m_packedRow);
}

// Each sample as its difference from the one before it in the row; 32-bit rows are first
// laid out as the samples' first bytes, then their second bytes, and so on, and the differences
// taken over those bytes.
QByteArray PsdWriter::Predicted(QByteArray row, int width) const
{
    const int bytes = m_depth == 16 ? 2 : 1;
    if (m_depth == 32) {
        const QByteArray samples = row;
        for (qsizetype i = 0; i < samples.size(); ++i)
            row[i % 4 * width + i / 4] = samples[i];
    }
    for (qsizetype i = row.size() / bytes - 1; i > 0; --i) {
        const auto sample = [&](qsizetype at) {
            return bytes == 1 ? quint8(row[at])
                              : quint16(quint8(row[2 * at]) << 8 | quint8(row[2 * at + 1]));
        };
        const auto delta = quint16(sample(i) - sample(i - 1));
        if (bytes == 2)
            row[2 * i] = char(delta >> 8);
        row[bytes * i + bytes - 1] = char(delta);
    }
    return row;
}

// Channels [first, first + count) as one block: the compression, the row lengths if packed,
// the rows; `packed` stands in for a row of channel 0.
QByteArray PsdWriter::ChannelData(const Samples &samples, int first, int count, int width,
                                  int height, const std::pair<int, QByteArray> &packed) const
{
    QByteArray counts;
    QByteArray rows;
    for (int channel = first; channel < first + count; ++channel) {
        for (int y = 0; y < height; ++y) {
            QByteArray row = ChannelRow(samples, channel, y, width);
            if (m_compression == Rle) {
                row = channel == 0 && y == packed.first ? packed.second : PackBits(row);
                counts += Big(row.size(), m_psb ? 4 : 2);
            }
            rows += m_compression == ZipPredicted ? Predicted(row, width) : row;
        }
    }
    // qCompress puts the length in front of the zlib stream.
    if (IsZip(m_compression))
        rows = qCompress(rows).mid(4);
    return Big(quint64(m_compression), 2) + counts + rows;
}

QByteArray PsdWriter::Bytes() const
{
    return Header(m_psb ? Psb : Psd, ColourChannels() + m_extraChannels, m_height, m_width, m_depth,
                  m_mode) +
           Big(0, 4) + Big(m_resources.size(), 4) + m_resources + LayerSection() + ImageData();
}

QByteArray PsdWriter::TruncatedInRowCounts()
{
    // The header, three empty sections, the compression, half of the 3 x 64 row counts.
    return PsdWriter(64, 64, Rgb, [](int x, int y, int) { return quint16((x ^ y) * 1000); })
        .SetCompression(Rle)
        .Bytes()
        .left(26 + 12 + 2 + 3 * 64);
}

QByteArray PsdWriter::ResourceNameLengthFF()
{
    // The longest name, then a data size that runs far past the section.
    const QByteArray resource =
        "8BIM" + Big(1005, 2) + char(0xFF) + QByteArray(255, 'n') + Big(0xFFFFFFF0, 4);
    return Header(Psd, 3, 8, 8, 8, Rgb) + Big(0, 4) + Big(resource.size(), 4) + resource +
           Big(0, 4) + Big(quint64(Raw), 2) + QByteArray(3 * 8 * 8, char(0x80));
}

QByteArray PsdWriter::FlatRows(int width, int height, ColorMode mode,
                               const std::function<quint8(int y, int channel)> &value)
{
    const int channels = ::ColourChannels(mode);
    QByteArray counts;
    QByteArray rows;
    for (int channel = 0; channel < channels; ++channel) {
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int left = width; left > 0; left -= 128)
                row += char(left == 1 ? 0 : 1 - std::min(left, 128)) +
                       QByteArray(1, char(value(y, channel)));
            counts += Big(row.size(), 4);
            rows += row;
        }
    }
    return Header(Psb, channels, height, width, 8, mode) + Big(0, 8) + Big(0, 8) +
           Big(quint64(Rle), 2) + counts + rows;
}

QByteArray PsdWriter::ClaimsSize(PsdVersion version, int channels, quint32 width, quint32 height,
                                 int depth, ColorMode mode, Compression compression)
{
    return Header(version, channels, height, width, depth, mode) + Big(0, 8) +
           Big(0, version == Psb ? 8 : 4) + Big(quint64(compression), 2) + "zz";
}
