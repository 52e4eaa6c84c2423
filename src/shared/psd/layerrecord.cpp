#include "shared/psd/layerrecord.h"

#include <algorithm>

bool LayerRecord::Has(const std::string &key) const
{
    return std::any_of(blocks.cbegin(), blocks.cend(),
                       [&](const LayerInfoBlock &block) { return block.key == key; });
}

const LayerChannel *LayerRecord::Channel(int id) const
{
    const auto found = std::find_if(channels.cbegin(), channels.cend(),
                                    [&](const LayerChannel &channel) { return channel.id == id; });
    return found == channels.cend() ? nullptr : &*found;
}

bool LayerRecord::IsFillOrShape() const
{
    return Has("SoCo") || Has("GdFl") || Has("PtFl") || Has("vscg");
}
