// The writer's layer section: layer records, their channels and masks, and tagged blocks.
#include "support/bigendian.h"
#include "support/psdwriter.h"

#include <bit>

namespace
{

QByteArray Rect(const PsdWriter::Mask &mask)
{
    return Big(mask.top, 4) + Big(mask.left, 4) + Big(mask.top + mask.height, 4) +
           Big(mask.left + mask.width, 4);
}

// The mask's rectangle, default colour and flags; where `real` is there, `mask` is rendered
// from the vector mask and the user's own follows; then densities and feather where set.
QByteArray MaskData(const PsdWriter::Mask &mask, const std::optional<PsdWriter::Mask> &real)
{
    const PsdWriter::Mask &user = real ? *real : mask;
    const int vector = real ? mask.density : 255;
    const bool parameters = user.density < 255 || user.feather > 0 || vector < 255;
    QByteArray data = Rect(mask) + char(mask.defaultColor) +
                      char((mask.disabled ? 2 : 0) | (real ? 8 : 0) | (parameters ? 16 : 0));
    if (real)
        data +=
            QByteArray(1, char(real->disabled ? 2 : 0)) + char(real->defaultColor) + Rect(*real);
    if (parameters) {
        data += char((user.density < 255 ? 1 : 0) | (user.feather > 0 ? 2 : 0) |
                     (vector < 255 ? 4 : 0));
        if (user.density < 255)
            data += char(user.density);
        if (user.feather > 0)
            data += Big(std::bit_cast<quint64>(user.feather), 8);
        if (vector < 255)
            data += char(vector);
    }
    data += QByteArray((4 - data.size() % 4) % 4, '\0');
    return Big(data.size(), 4) + data;
}

} // namespace

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

PsdWriter &PsdWriter::AddSectionBlock(const QByteArray &block)
{
    m_sectionBlocks += block;
    return *this;
}

QByteArray PsdWriter::Block(const QByteArray &key, const QByteArray &data)
{
    return "8BIM" + key + Big(data.size(), 4) + data;
}

// A record naming the layer's bounds and channels (transparency is channel -1, the mask -2),
// its blending and its blocks; the channels' data goes to `data`.
QByteArray PsdWriter::LayerRecord(const Layer &layer, QByteArray &data) const
{
    QList<std::pair<int, QByteArray>> channels;
    for (int channel = 0; channel <= ColourChannels(); ++channel)
        channels.append({channel < ColourChannels() ? channel : 0xFFFF,
                         ChannelData(layer.samples, channel, 1, layer.width, layer.height)});
    for (const auto &[id, mask] : {std::pair{0xFFFE, &layer.mask}, {0xFFFD, &layer.realMask}}) {
        if (*mask)
            channels.append(
                {id, ChannelData((*mask)->samples, 0, 1, (*mask)->width, (*mask)->height)});
    }
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
    const QByteArray extra = (layer.mask ? MaskData(*layer.mask, layer.realMask) : Big(0, 4)) +
                             Big(0, 4) + QByteArray(4, '\0') + blocks;
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
    const QByteArray section = (m_depth == 8 ? Big(info.size(), lengthBytes) + info + Big(0, 4)
                                             : Big(0, lengthBytes) + Big(0, 4) + "8BIM" +
                                                   (m_depth == 16 ? "Lr16" : "Lr32") +
                                                   Big(info.size(), lengthBytes) + info) +
                               m_sectionBlocks;
    return Big(section.size(), lengthBytes) + section;
}
