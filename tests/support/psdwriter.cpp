#include "support/psdwriter.h"

#include <bit>

namespace
{

QByteArray Big(quint64 value, int bytes)
{
    QByteArray out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char(value >> shift);
    return out;
}

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

// The mask's rectangle, default colour and flags, with its density and feather where set.
QByteArray MaskData(const PsdWriter::Mask &mask)
{
    const bool parameters = mask.density < 255 || mask.feather > 0;
    QByteArray data = Big(mask.top, 4) + Big(mask.left, 4) + Big(mask.top + mask.height, 4) +
                      Big(mask.left + mask.width, 4) + char(mask.defaultColor) +
                      char((mask.disabled ? 2 : 0) | (parameters ? 16 : 0));
    if (parameters) {
        data += char((mask.density < 255 ? 1 : 0) | (mask.feather > 0 ? 2 : 0));
        if (mask.density < 255)
            data += char(mask.density);
        if (mask.feather > 0)
            data += Big(std::bit_cast<quint64>(mask.feather), 8);
    }
    data += QByteArray((4 - data.size() % 4) % 4, '\0');
    return Big(data.size(), 4) + data;
}

} // namespace

PsdWriter &PsdWriter::AddResource(quint16 id, const QByteArray &data)
{
    // An empty name, padded to even length, as the data is.
    m_resources += "8BIM" + Big(id, 2) + Big(0, 2) + Big(data.size(), 4) + data +
                   QByteArray(data.size() % 2, '\0');
    return *this;
}

PsdWriter &PsdWriter::SetLayer(Samples samples, bool mergedTransparency)
{
    Layer layer;
    layer.width = m_width;
    layer.height = m_height;
    layer.samples = std::move(samples);
    m_layers = {layer};
    return Set(m_mergedTransparency, mergedTransparency);
}

PsdWriter &PsdWriter::AddLayer(const Layer &layer)
{
    m_layers.append(layer);
    return *this;
}

QByteArray PsdWriter::Block(const QByteArray &key, const QByteArray &data)
{
    return "8BIM" + key + Big(data.size(), 4) + data;
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
    QByteArray counts;
    QByteArray rows;
    for (int channel = 0; channel < ColourChannels() + m_extraChannels; ++channel) {
        for (int y = 0; y < m_height; ++y) {
            QByteArray row = ChannelRow(m_samples, channel, y, m_width);
            if (m_compression == Rle) {
                row = channel == 0 && y == m_packedRow.first ? m_packedRow.second : PackBits(row);
                counts += Big(row.size(), m_psb ? 4 : 2);
            }
            rows += m_compression == ZipPredicted ? Predicted(row, m_width) : row;
        }
    }
    // qCompress puts the length in front of the zlib stream.
    if (IsZip(m_compression))
        rows = qCompress(rows).mid(4);
    return Big(quint64(m_compression), 2) + counts + rows;
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

// One channel of a layer as its own block: the compression, row lengths if packed, the rows.
QByteArray PsdWriter::ChannelData(const Samples &samples, int channel, int width, int height) const
{
    QByteArray counts;
    QByteArray rows;
    for (int y = 0; y < height; ++y) {
        QByteArray row = ChannelRow(samples, channel, y, width);
        if (m_compression == Rle) {
            row = PackBits(row);
            counts += Big(row.size(), m_psb ? 4 : 2);
        }
        rows += m_compression == ZipPredicted ? Predicted(row, width) : row;
    }
    if (IsZip(m_compression))
        rows = qCompress(rows).mid(4);
    return Big(quint64(m_compression), 2) + counts + rows;
}

// A record naming the layer's bounds and channels (transparency is channel -1, the mask -2),
// its blending and its blocks; the channels' data goes to `data`.
QByteArray PsdWriter::LayerRecord(const Layer &layer, QByteArray &data) const
{
    QList<std::pair<int, QByteArray>> channels;
    for (int channel = 0; channel <= ColourChannels(); ++channel)
        channels.append({channel < ColourChannels() ? channel : 0xFFFF,
                         ChannelData(layer.samples, channel, layer.width, layer.height)});
    if (layer.mask)
        channels.append(
            {0xFFFE, ChannelData(layer.mask->samples, 0, layer.mask->width, layer.mask->height)});
    QByteArray record = Big(layer.top, 4) + Big(layer.left, 4) + Big(layer.top + layer.height, 4) +
                        Big(layer.left + layer.width, 4) + Big(channels.size(), 2);
    for (const auto &[id, channelData] : channels) {
        record += Big(id, 2) + Big(channelData.size(), m_psb ? 8 : 4);
        data += channelData;
    }
    QByteArray blocks = layer.blocks;
    if (layer.kind != Layer::Kind::Pixels)
        blocks += Block("lsct", Big(layer.kind == Layer::Kind::Group ? 1 : 3, 4) + "8BIM" +
                                    layer.blendMode);
    if (layer.fillOpacity < 255)
        blocks += Block("iOpa", QByteArray(1, char(layer.fillOpacity)) + QByteArray(3, '\0'));
    // No blending ranges; an empty name padded to four bytes.
    const QByteArray extra =
        (layer.mask ? MaskData(*layer.mask) : Big(0, 4)) + Big(0, 4) + QByteArray(4, '\0') + blocks;
    const QByteArray mode = layer.kind == Layer::Kind::Pixels ? layer.blendMode : "norm";
    return record + "8BIM" + mode + char(layer.opacity) + char(layer.clipped) +
           char(layer.hidden ? 2 : 0) + '\0' + Big(extra.size(), 4) + extra;
}

QByteArray PsdWriter::LayerSection() const
{
    const int lengthBytes = m_psb ? 8 : 4;
    if (m_layers.isEmpty())
        return Big(0, lengthBytes);
    const qsizetype count = m_layers.size();
    QByteArray info = Big(quint16(m_mergedTransparency ? -count : count), 2);
    QByteArray data;
    for (const Layer &layer : m_layers)
        info += LayerRecord(layer, data);
    info += data;
    if (info.size() % 2 != 0)
        info += '\0';
    // Photoshop keeps the layers of 16- and 32-bit documents in a block after the global mask.
    const QByteArray section = m_depth == 8 ? Big(info.size(), lengthBytes) + info + Big(0, 4)
                                            : Big(0, lengthBytes) + Big(0, 4) + "8BIM" +
                                                  (m_depth == 16 ? "Lr16" : "Lr32") +
                                                  Big(info.size(), lengthBytes) + info;
    return Big(section.size(), lengthBytes) + section;
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
