#include "worker/layers/layerstylesupport.h"

#include "shared/psd/layerrecord.h"
#include "worker/layers/blendmode.h"
#include "worker/layers/documentcolour.h"
#include "worker/layers/gradientfill.h"
#include "worker/layers/layerstyles.h"

#include <algorithm>

namespace
{

// Blended with the layer alone, an overlay takes the layer's fill opacity and meets none of
// what is below: as drawn here only in normal mode over a layer wholly filled.
bool Blends(const LayerEffect &effect, const LayerRecord &layer, const PsdHeader &header)
{
    const std::optional<BlendMode> mode = BlendModeOf(effect.blendMode);
    return mode && (!IsNonSeparable(*mode) || header.colorMode == ColorMode::Rgb) &&
           (!layer.blendInteriorAsGroup ||
            (*mode == BlendMode::Normal && layer.fillOpacity == 255));
}

// What keeps a pattern from being tiled as Photoshop tiles it; "" where nothing does.
std::string UnrenderedPattern(const PatternFill &fill, const PsdHeader &header)
{
    if (!fill.unread.empty())
        return fill.unread;
    if (!fill.pattern)
        return "a pattern not read";
    if (ColorMode(fill.pattern->mode) != header.colorMode)
        return "a pattern of another colour mode";
    return "";
}

// What keeps the effect from being drawn, by name; "" where nothing does.
std::string Unrendered(const LayerEffect &effect, const LayerRecord &layer, const PsdHeader &header)
{
    const std::string name = "layer styles (" + EffectName(effect.kind);
    if (effect.kind == EffectKind::GradientOverlay) {
        const std::string gradient =
            Gradient(effect.gradient.gradient, header.colorMode).Unrendered();
        if (!gradient.empty())
            return name + " of " + gradient + ")";
        if (const std::string layout = UnrenderedLayout(effect.gradient); !layout.empty())
            return name + " of " + layout + ")";
    } else if (effect.kind == EffectKind::PatternOverlay) {
        const std::string pattern = UnrenderedPattern(effect.pattern, header);
        if (!pattern.empty())
            return name + " of " + pattern + ")";
    } else if (effect.kind != EffectKind::ColourOverlay) {
        return name + ")";
    } else if (!ColourInMode(effect.colour, header.colorMode)) {
        return name + " in another colour mode)";
    }
    return Blends(effect, layer, header)
               ? ""
               : name + " in that blend mode, or blended with the layer alone)";
}

} // namespace

std::vector<std::string> UnrenderedStyle(const LayerRecord &layer, const PsdHeader &header,
                                         bool plain)
{
    const LayerStyle &style = layer.style;
    if (!style.present)
        return layer.Has("lrFX") ? std::vector<std::string>{"layer styles"}
                                 : std::vector<std::string>{};
    if (!style.readable)
        return {"layer styles that do not read"};
    if (!ShowsStyle(layer))
        return {};
    if (header.depth == 32)
        return {"layer styles in 32 bits"};
    if (!plain || layer.blendMode != "norm")
        return {"layer styles on groups, clipping groups or layers not blended normally"};
    std::vector<std::string> names;
    for (const LayerEffect &effect : style.effects) {
        const bool twice =
            std::count_if(style.effects.cbegin(), style.effects.cend(),
                          [&](const LayerEffect &other) { return other.kind == effect.kind; }) > 1;
        if (twice)
            names.push_back("layer styles (more than one " + EffectName(effect.kind) + ")");
        else if (const std::string name = Unrendered(effect, layer, header); !name.empty())
            names.push_back(name);
    }
    return names;
}
