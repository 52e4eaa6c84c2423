#include "worker/layers/layersupport.h"

#include "shared/psd/psdheader.h"
#include "worker/layers/adjustment.h"
#include "worker/layers/artboard.h"
#include "worker/layers/blendmode.h"
#include "worker/layers/fillsupport.h"
#include "worker/layers/layerpixels.h"
#include "worker/layers/layerstylesupport.h"

#include <algorithm>

namespace
{

// Blocks that change nothing of the picture once the writer has rendered the layer's pixels:
// names, ids, colours in the layers panel, metadata, and the sources that text, shape, fill
// and smart object layers were rendered from.
const char *const Harmless[] = {
    "luni", "lclr", "lyid", "lspf", "fxrp", "shmd", "lnsr", "knko", "infx", "clbl",
    "lsct", "lsdk", "vogk", "vowv", "sn2P", "lyvr", "TySh", "tySh", "SoLd", "SoLE",
    "PlLd", "plLd", "iOpa", "tsly", "lmgm", "vmgm", "brst", "SoCo", "GdFl", "PtFl",
    "vscg", "vstk", "vmsk", "vsms", "cinf", "PxSc", "extn",
};

class Findings
{
public:
    Findings(const PsdHeader &header, const LayerCheck &dissolvesAsNormal)
        : m_header(header), m_dissolvesAsNormal(dissolvesAsNormal)
    {
    }

    void Add(const std::string &name)
    {
        if (std::find(m_names.cbegin(), m_names.cend(), name) == m_names.cend())
            m_names.push_back(name);
    }
    void AddAdjustment(const std::string &name)
    {
        Add("");
        if (std::find(m_adjustments.cbegin(), m_adjustments.cend(), name) == m_adjustments.cend())
            m_adjustments.push_back(name);
    }
    // The adjustments named together, where the first of them was met.
    std::string Text() const
    {
        std::string text;
        for (const std::string &name : m_names)
            text += (text.empty() ? "" : ", ") + (name.empty() ? Adjustments() : name);
        return text;
    }

    void Walk(const std::vector<LayerNode> &nodes);

private:
    // A pass-through group shown only in part may fade its layers before they dissolve.
    void WalkInto(const LayerRecord &group, const std::vector<LayerNode> &children);
    void Common(const LayerRecord &layer);
    void BlendModeOfLayer(const LayerRecord &layer, bool group);
    void Masks(const LayerRecord &layer);
    void Blocks(const LayerRecord &layer);
    void Artboards(const LayerRecord &layer);
    void Clipping(const std::vector<LayerNode> &nodes, std::size_t base);

    std::string Adjustments() const
    {
        std::string list;
        for (const std::string &name : m_adjustments)
            list += (list.empty() ? "" : ", ") + name;
        return "adjustment layers (" + list + ")";
    }

    const PsdHeader &m_header;
    const LayerCheck &m_dissolvesAsNormal;
    bool m_drawn = false;             // whether a layer lies below those walked to
    int m_depth = 0;                  // of the groups walked into
    int m_faded = 0;                  // of those passing through only in part, by opacity or mask
    std::vector<std::string> m_names; // "" stands for the adjustments
    std::vector<std::string> m_adjustments;
};

void Findings::BlendModeOfLayer(const LayerRecord &layer, bool group)
{
    const std::optional<BlendMode> mode = BlendModeOf(layer.blendMode);
    if (layer.blendMode == "diss" && group)
        return Add("the dissolve blend mode on groups");
    // Whether a group passing through in part fades the layer before it dissolves is not known.
    if (layer.blendMode == "diss" && m_faded > 0)
        return Add("the dissolve blend mode in pass-through groups not wholly shown");
    if (layer.blendMode == "diss" && !m_dissolvesAsNormal(layer))
        return Add("the dissolve blend mode over partly transparent pixels");
    if (layer.blendMode == "diss")
        return;
    if (!mode)
        return Add("the blend mode '" + layer.blendMode + "'");
    // Lab's values as stored mix as colours only by normal blending.
    if (*mode != BlendMode::Normal && m_header.colorMode == ColorMode::Lab)
        Add("blend modes other than normal in Lab");
    else if (IsNonSeparable(*mode) && m_header.colorMode != ColorMode::Rgb)
        Add("hue, saturation, color or luminosity blending outside RGB");
    if (m_header.depth == 32 && !WorksInLinearLight(*mode))
        Add("blend mode '" + layer.blendMode + "' in 32 bits");
    if (layer.fillOpacity < 255 && TreatsFillApart(*mode))
        Add("fill opacity with blend mode '" + layer.blendMode + "'");
}

void Findings::Masks(const LayerRecord &layer)
{
    const bool vector = layer.vectorMask.present;
    if (vector && !layer.vectorMask.readable)
        Add("vector masks that do not read");
    // Masks of densities of their own are drawn apart: the vector mask from its path.
    const bool apart =
        layer.mask.fromVector && !RenderedVectorMask(layer) && layer.Channel(int(ChannelId::Mask));
    if (apart && !vector)
        Add("mask density on both a vector and a layer mask");
    // Whether a writer's rendering of a shape has its density in it is not known.
    const bool drawn = layer.IsFillOrShape() && !layer.FillsWithoutPixels();
    if (vector && ((layer.vectorDensity < 255 && drawn) || layer.vectorFeather > 0))
        Add("vector mask density or feather");
    for (const LayerMask *mask : {&layer.mask, &layer.realMask}) {
        if (mask->present && !mask->disabled && mask->feather > 0)
            Add("feathered layer masks");
        if (mask->present && !mask->disabled && mask->inverted)
            Add("inverted layer masks");
    }
}

void Findings::Blocks(const LayerRecord &layer)
{
    for (const LayerInfoBlock &block : layer.blocks) {
        if (!AdjustmentName(block.key).empty()) {
            // Over nothing an adjustment leaves nothing to change.
            if (const std::string missing = UnrenderedAdjustment(layer.adjustment, m_header);
                !missing.empty() && m_drawn)
                AddAdjustment(missing);
        } else if (block.key == "lfx2" || block.key == "lrFX" || block.key == "lmfx")
            continue; // UnrenderedStyle looks at the style
        else if (block.key == "artb" || block.key == "artd" || block.key == "abdd")
            Artboards(layer);
        else if (std::none_of(std::begin(Harmless), std::end(Harmless),
                              [&](const char *key) { return block.key == key; }))
            Add("layer data '" + block.key + "'");
    }
    if (layer.FillsWithoutPixels()) {
        for (const std::string &name : UnrenderedFill(layer, m_header))
            Add(name);
    }
}

// Artboards are groups at the top of the document, each a page of its own.
void Findings::Artboards(const LayerRecord &layer)
{
    if (layer.divider == Divider::None || m_depth > 0)
        Add("artboards within groups or on layers");
    else if (!DrawsArtboard(layer.artboard, m_header.colorMode))
        Add("artboards of that background");
}

void Findings::Common(const LayerRecord &layer)
{
    if (layer.knockout)
        Add("knockout");
    if (layer.restrictsChannels)
        Add("blending restricted to some channels");
    if (!layer.defaultBlendingRanges)
        Add("blend-if ranges");
    Masks(layer);
    Blocks(layer);
}

// A clipping group's base shapes the layers clipped to it, whatever its own fill opacity.
void Findings::Clipping(const std::vector<LayerNode> &nodes, std::size_t base)
{
    if (!ClipsAnything(nodes, base, ClippedAfter(nodes, base)))
        return;
    const LayerRecord &layer = *nodes[base].record;
    if (layer.IsAdjustment())
        Add("layers clipped to an adjustment layer");
    if (!layer.blendClippedAsGroup || layer.fillOpacity < 255)
        Add("clipping groups of a base that is not blended as a group or not fully filled");
}

void Findings::Walk(const std::vector<LayerNode> &nodes)
{
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const LayerNode &node = nodes[i];
        const LayerRecord &layer = *node.record;
        if (layer.hidden)
            continue;
        Common(layer);
        m_drawn = m_drawn || !layer.IsAdjustment();
        Clipping(nodes, i);
        const bool plain =
            !node.group && !layer.clipped && !ClipsAnything(nodes, i, ClippedAfter(nodes, i));
        for (const std::string &name : UnrenderedStyle(layer, m_header, plain))
            Add(name);
        if (node.group && layer.fillOpacity < 255)
            Add("fill opacity of groups");
        if (!node.group || layer.blendMode != "pass")
            BlendModeOfLayer(layer, node.group);
        if (node.group)
            WalkInto(layer, node.children);
    }
}

void Findings::WalkInto(const LayerRecord &group, const std::vector<LayerNode> &children)
{
    const bool faded =
        group.blendMode == "pass" && (group.opacity < 255 || group.fillOpacity < 255 ||
                                      group.mask.present || group.vectorMask.present);
    ++m_depth;
    m_faded += faded ? 1 : 0;
    Walk(children);
    --m_depth;
    m_faded -= faded ? 1 : 0;
}

} // namespace

std::string UnrenderedFeatures(const std::vector<LayerNode> &tree, const PsdHeader &header,
                               const LayerCheck &dissolvesAsNormal)
{
    Findings findings(header, dissolvesAsNormal);
    const ColorMode mode = header.colorMode;
    if (mode != ColorMode::Rgb && mode != ColorMode::Grayscale && mode != ColorMode::Cmyk &&
        mode != ColorMode::Lab)
        findings.Add("a colour mode other than grey, RGB, CMYK or Lab");
    const bool wide = mode != ColorMode::Cmyk && mode != ColorMode::Lab;
    if (header.depth != 8 && header.depth != 16 && !(header.depth == 32 && wide))
        findings.Add(std::to_string(header.depth) + "-bit layers");
    findings.Walk(tree);
    return findings.Text();
}
