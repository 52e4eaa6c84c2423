#include "worker/layers/dissolve.h"

#include "shared/psd/layerrecord.h"
#include "worker/layers/layerpixels.h"

bool DissolvesAsNormal(const std::string &path, const PsdHeader &header, const LayerRecord &layer)
{
    if (layer.opacity != 255 || layer.fillOpacity != 255)
        return false;
    // A fill drawn without pixels covers the page, as its vector mask lets it.
    const bool page = layer.FillsWithoutPixels();
    const LayerRect area =
        page ? LayerRect{0, 0, std::int32_t(header.height), std::int32_t(header.width)}
             : layer.rect;
    const int stride = ColourChannels(header.colorMode) + 1;
    // A fill of no colour read is refused for that before it is drawn.
    if (page && layer.solidFill.shares.size() != std::size_t(stride - 1))
        return false;
    LayerPixels pixels(path, header);
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        PixelBand row(area.left, y, area.Width(), 1, stride);
        if (!pixels.Fill(layer, row))
            return false;
        for (std::size_t at = std::size_t(stride - 1); at < row.values.size();
             at += std::size_t(stride)) {
            if (row.values[at] != 0 && row.values[at] != 1)
                return false;
        }
    }
    return true;
}
