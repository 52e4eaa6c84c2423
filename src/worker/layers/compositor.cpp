#include "worker/layers/compositor.h"

#include "worker/layers/artboard.h"
#include "worker/layers/blending.h"
#include "worker/layers/layerstyles.h"

namespace
{

BlendMode ModeOf(const LayerRecord &layer)
{
    return BlendModeOf(layer.blendMode).value_or(BlendMode::Normal);
}

float Share(int value)
{
    return float(value) / 255.0f;
}

// An artboard is a page of its own, whatever its group's blend mode says.
bool IsPassThrough(const LayerNode &node)
{
    return node.group && node.record->blendMode == "pass" && !node.record->artboard.present;
}

} // namespace

LayerCompositor::LayerCompositor(const std::string &path, const PsdHeader &header,
                                 const std::vector<LayerNode> &tree)
    : m_tree(tree), m_header(header), m_pixels(path, header),
      m_stride(ColourChannels(header.colorMode) + 1)
{
}

bool LayerCompositor::Compose(std::int64_t top, PixelBand &band)
{
    std::fill(band.values.begin(), band.values.end(), 0.0f);
    band.top = top;
    const bool composed = ComposeNodes(m_tree, band);
    m_pixels.Passed(band.Bottom());
    return composed;
}

// Layers clipped to a hidden one are hidden with it.
bool LayerCompositor::ComposeNodes(const std::vector<LayerNode> &nodes, PixelBand &backdrop)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::size_t clipped = ClippedAfter(nodes, i);
        const bool shown = !nodes[i].record->hidden;
        if (shown && ClipsAnything(nodes, i, clipped)) {
            if (!ClippingGroup(nodes, i, clipped, backdrop))
                return false;
        } else if (shown && !Draw(nodes[i], backdrop, false)) {
            return false;
        }
        i += clipped;
    }
    return true;
}

// The base with the layers clipped to it, composed apart (a pass-through group too) and then
// blended as the base is.
bool LayerCompositor::ClippingGroup(const std::vector<LayerNode> &nodes, std::size_t base,
                                    std::size_t clipped, PixelBand &backdrop)
{
    PixelBand group;
    if (!Source(nodes[base], backdrop, group))
        return false;
    for (std::size_t i = base + 1; i <= base + clipped; ++i) {
        if (!nodes[i].record->hidden && !Draw(nodes[i], group, true))
            return false;
    }
    const LayerRecord &layer = *nodes[base].record;
    BlendOnto(backdrop, group, ModeOf(layer), Share(layer.opacity) * Share(layer.fillOpacity),
              false);
    return true;
}

bool LayerCompositor::Draw(const LayerNode &node, PixelBand &backdrop, bool clip)
{
    if (IsPassThrough(node) && !clip)
        return PassThrough(node, backdrop);
    const LayerRecord &layer = *node.record;
    const float fill = node.group ? 1.0f : Share(layer.fillOpacity);
    if (layer.IsAdjustment())
        return Adjust(layer, backdrop, Share(layer.opacity) * fill);
    PixelBand source;
    if (!Source(node, backdrop, source))
        return false;
    if (!clip && !node.group && ShowsStyle(layer)) {
        DrawStyled(layer, source, m_header, backdrop);
        return true;
    }
    BlendOnto(backdrop, source, ModeOf(layer), Share(layer.opacity) * fill, clip);
    return true;
}

// The backdrop adjusted is the layer's colour, its masks its coverage; the backdrop keeps its
// own transparency.
bool LayerCompositor::Adjust(const LayerRecord &layer, PixelBand &backdrop, float opacity)
{
    auto step = m_adjustments.find(&layer);
    if (step == m_adjustments.end())
        step = m_adjustments.try_emplace(&layer, layer.adjustment, m_header).first;
    PixelBand adjusted = backdrop;
    step->second.Apply(adjusted);
    for (std::size_t i = std::size_t(m_stride) - 1; i < adjusted.values.size();
         i += std::size_t(m_stride))
        adjusted.values[i] = 1;
    if (!MaskRows(layer, adjusted))
        return false;
    BlendOnto(backdrop, adjusted, ModeOf(layer), opacity, true);
    return true;
}

bool LayerCompositor::PassThrough(const LayerNode &node, PixelBand &backdrop)
{
    PixelBand through = backdrop;
    if (!ComposeNodes(node.children, through))
        return false;
    const LayerRecord &layer = *node.record;
    return MixBack(backdrop, through, Share(layer.opacity),
                   [&](std::int64_t y, std::int64_t left, std::int64_t width, float *factors) {
                       return m_pixels.MaskRow(layer, y, left, width, factors);
                   });
}

// A layer's own pixels, or an isolated group's layers composed on a transparent page, with
// its masks; within `area`.
bool LayerCompositor::Source(const LayerNode &node, const PixelBand &area, PixelBand &source)
{
    const LayerRecord &layer = *node.record;
    if (!node.group) {
        const LayerRect &rect = layer.rect;
        source = layer.FillsWithoutPixels()
                     ? PixelBand(area.left, area.top, area.width, area.height, m_stride)
                     : Within(area, rect.left, rect.top, rect.right, rect.bottom);
        return source.IsEmpty() || m_pixels.Fill(layer, source);
    }
    source = PixelBand(area.left, area.top, area.width, area.height, m_stride);
    if (!layer.artboard.present)
        return ComposeNodes(node.children, source) && MaskRows(layer, source);
    const ArtboardPage page(layer.artboard, m_header.colorMode);
    page.Background(source);
    if (!ComposeNodes(node.children, source) || !MaskRows(layer, source))
        return false;
    page.Clip(source);
    return true;
}

bool LayerCompositor::MaskRows(const LayerRecord &layer, PixelBand &source)
{
    std::vector<float> factors(std::size_t(source.width));
    for (std::int64_t y = source.top; y < source.Bottom(); ++y) {
        if (!m_pixels.MaskRow(layer, y, source.left, source.width, factors.data()))
            return false;
        float *alpha = source.At(source.left, y) + m_stride - 1;
        for (std::size_t x = 0; x < factors.size(); ++x)
            alpha[x * std::size_t(m_stride)] *= factors[x];
    }
    return true;
}
