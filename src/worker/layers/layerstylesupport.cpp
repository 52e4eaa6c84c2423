#include "worker/layers/layerstylesupport.h"

#include "shared/psd/layerrecord.h"
#include "worker/layers/blendmode.h"
#include "worker/layers/documentcolour.h"
#include "worker/layers/layerstyles.h"

#include <algorithm>

namespace
{

// Blended with the layer alone, an overlay takes the layer's fill opacity and meets none of
// what is below: as drawn here only in normal mode over a layer wholly filled.
bool Rendered(const LayerEffect &effect, const LayerRecord &layer, const PsdHeader &header)
{
    const std::optional<BlendMode> mode = BlendModeOf(effect.blendMode);
    const bool blends =
        mode && (!IsNonSeparable(*mode) || header.colorMode == ColorMode::Rgb) &&
        (!layer.blendInteriorAsGroup || (*mode == BlendMode::Normal && layer.fillOpacity == 255));
    return effect.kind == EffectKind::ColourOverlay && blends &&
           ColourInMode(effect.colour, header.colorMode);
}

std::string Unrendered(const LayerEffect &effect)
{
    const std::string name = EffectName(effect.kind);
    if (effect.kind == EffectKind::ColourOverlay)
        return "layer styles (" + name + " in another colour mode or that blend mode, or blended " +
               "with the layer alone)";
    return "layer styles (" + name + ")";
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
        else if (!Rendered(effect, layer, header))
            names.push_back(Unrendered(effect));
    }
    return names;
}
