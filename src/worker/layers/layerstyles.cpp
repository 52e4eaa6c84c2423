#include "worker/layers/layerstyles.h"

#include "shared/psd/layerrecord.h"
#include "worker/layers/blending.h"
#include "worker/layers/documentcolour.h"
#include "worker/layers/gradientfill.h"
#include "worker/layers/layerpixels.h"

#include <algorithm>

namespace
{

// `band` in `colour`, wholly covered.
void Paint(PixelBand &band, const std::vector<float> &colour)
{
    for (std::size_t at = 0; at < band.values.size(); at += std::size_t(band.stride)) {
        std::copy(colour.cbegin(), colour.cend(), band.values.begin() + std::ptrdiff_t(at));
        band.values[at + std::size_t(band.stride) - 1] = 1;
    }
}

// The gradient laid out in its box, over all of `band`.
void PaintGradient(PixelBand &band, const GradientFill &overlay, const GradientBox &box,
                   ColorMode mode)
{
    const GradientFillRows rows(overlay, mode, box);
    for (std::int64_t y = band.top; y < band.Bottom(); ++y)
        rows.Row(y, band.left, band.width, band.At(band.left, y), band.stride);
}

// The backdrop as the layer's inside would leave it where the layer covered it wholly: its
// pixels at fill opacity, then the overlays, lowest first: pattern, gradient, colour.
PixelBand Inside(const LayerRecord &layer, const PixelBand &source, const PsdHeader &header,
                 const PixelBand &backdrop)
{
    PixelBand inside = backdrop;
    PixelBand cover = source;
    const auto stride = std::size_t(cover.stride);
    for (std::size_t at = stride - 1; at < cover.values.size(); at += stride)
        cover.values[at] = 1;
    BlendOnto(inside, cover, BlendMode::Normal, float(layer.fillOpacity) / 255.0f, false);
    for (const EffectKind kind :
         {EffectKind::PatternOverlay, EffectKind::GradientOverlay, EffectKind::ColourOverlay}) {
        for (const LayerEffect &effect : layer.style.effects) {
            if (effect.kind != kind)
                continue;
            if (kind == EffectKind::ColourOverlay)
                Paint(cover, *ColourInMode(effect.colour, header.colorMode));
            else if (kind == EffectKind::GradientOverlay)
                PaintGradient(cover, effect.gradient,
                              OverlayBoxOf(layer, effect.gradient, header.width, header.height),
                              header.colorMode);
            else
                for (std::int64_t y = cover.top; y < cover.Bottom(); ++y)
                    PatternRow(*effect.pattern.pattern, y, cover, cover.At(cover.left, y),
                               ColourChannels(header.colorMode));
            BlendOnto(inside, cover, BlendModeOf(effect.blendMode).value_or(BlendMode::Normal),
                      float(effect.opacity), false);
        }
    }
    return inside;
}

} // namespace

bool ShowsStyle(const LayerRecord &layer)
{
    return layer.style.present && layer.style.on && !layer.style.effects.empty();
}

void DrawStyled(const LayerRecord &layer, const PixelBand &source, const PsdHeader &header,
                PixelBand &backdrop)
{
    const PixelBand inside = Inside(layer, source, header, backdrop);
    const float opacity = float(layer.opacity) / 255.0f;
    MixBack(backdrop, inside, 1,
            [&](std::int64_t y, std::int64_t left, std::int64_t width, float *factors) {
                std::fill_n(factors, width, 0.0f);
                if (y < source.top || y >= source.Bottom())
                    return true;
                const float *alpha = source.At(source.left, y) + source.stride - 1;
                for (std::int64_t x = std::max(left, source.left);
                     x < std::min(left + width, source.Right()); ++x)
                    factors[x - left] = opacity * alpha[(x - source.left) * source.stride];
                return true;
            });
}
