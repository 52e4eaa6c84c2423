#pragma once

#include "shared/psd/psdheader.h"
#include "worker/layers/layerpixels.h"
#include "worker/layers/layertree.h"
#include "worker/layers/pixelband.h"

#include <string>
#include <vector>

// The picture rebuilt from its layers a band of rows at a time, from the top, by Photoshop's
// rules as far as UnrenderedFeatures says they are rendered: on a transparent page, in the
// document's own colour mode.
class LayerCompositor
{
public:
    LayerCompositor(const std::string &path, const PsdHeader &header,
                    const std::vector<LayerNode> &tree);

    // The rows from `top` on, as many as `band` is high, into `band`; false when layer data is
    // damaged, and Damage() says how.
    bool Compose(std::int64_t top, PixelBand &band);
    const std::string &Damage() const { return m_pixels.Damage(); }

private:
    bool ComposeNodes(const std::vector<LayerNode> &nodes, PixelBand &backdrop);
    bool ClippingGroup(const std::vector<LayerNode> &nodes, std::size_t base, std::size_t clipped,
                       PixelBand &backdrop);
    bool Draw(const LayerNode &node, PixelBand &backdrop, bool clip);
    bool PassThrough(const LayerNode &node, PixelBand &backdrop);
    bool Source(const LayerNode &node, const PixelBand &area, PixelBand &source);
    bool MaskRows(const LayerRecord &layer, PixelBand &source);

    const std::vector<LayerNode> &m_tree;
    LayerPixels m_pixels;
    ColorMode m_mode;
    int m_stride;
};
