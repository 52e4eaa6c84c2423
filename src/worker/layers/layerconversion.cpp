#include "worker/layers/layerconversion.h"

#include "shared/psd/layersection.h"
#include "worker/colourplan.h"
#include "worker/layers/compositor.h"
#include "worker/layers/dissolve.h"
#include "worker/layers/layersupport.h"
#include "worker/layers/strips.h"
#include "worker/stream/bandstojpeg.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace
{

// The composed floats in the document's own depth, as the colour step reads them.
void ToSamples(const PixelBand &band, int depth, unsigned char *samples)
{
    const std::size_t count = band.values.size();
    for (std::size_t i = 0; i < count; ++i) {
        const float value = band.values[i];
        const float share = std::clamp(value, 0.0f, 1.0f);
        // Rounds as lround would, for the shares are never negative; lround takes far longer.
        if (depth == 8) {
            samples[i] = std::uint8_t(share * 255.0f + 0.5f);
        } else if (depth == 16) {
            const auto sample = std::uint16_t(share * 65535.0f + 0.5f);
            std::memcpy(samples + 2 * i, &sample, 2);
        } else {
            const bool alpha = (i + 1) % std::size_t(band.stride) == 0;
            const float sample = alpha ? share : std::max(value, 0.0f);
            std::memcpy(samples + 4 * i, &sample, 4);
        }
    }
}

Result<Decoded> Compose(const std::string &source, const std::string &jpegPath,
                        const DecodePlan &plan, const std::vector<LayerNode> &tree, int quality)
{
    const PsdHeader &header = plan.header;
    const SampleLayout layout{header.colorMode, header.depth, true};
    const std::unique_ptr<ColourStep> step =
        ColourStepFor(plan, layout, header.width, header.height, {});
    LayerCompositor compositor(source, header, tree);
    PixelBand band(0, 0, header.width, BandRows(header.width * layout.PixelBytes()),
                   layout.Channels());
    const BandSource bands = [&](std::uint32_t top, std::uint32_t rows,
                                 unsigned char *samples) -> Result<> {
        if (band.height != rows)
            band = PixelBand(0, top, header.width, rows, layout.Channels());
        if (!ComposeInStrips(compositor, top, band))
            return DamagedLayerData(compositor.Damage());
        ToSamples(band, header.depth, samples);
        return Done{};
    };
    return BandsToJpeg(jpegPath, header.width, header.height, layout.PixelBytes(), *step, false,
                       bands, "layers", quality);
}

// The layers as nested groups, or why the picture is not rebuilt from them.
Result<std::vector<LayerNode>> RenderedTree(const std::string &source, const LayerSection &section,
                                            const PsdHeader &header)
{
    // A stand-in with nothing to rebuild it from.
    if (section.layers.empty())
        return Failure{wire::Status::Unreadable,
                       "no flattened picture, and no layers to rebuild it from"};
    std::optional<std::vector<LayerNode>> tree = BuildLayerTree(section.layers);
    if (!tree)
        return DamagedLayerData("layer groups do not pair up");
    const LayerCheck dissolvesAsNormal = [&](const LayerRecord &layer) {
        return DissolvesAsNormal(source, header, layer);
    };
    if (const std::string unrendered = UnrenderedFeatures(*tree, header, dissolvesAsNormal);
        !unrendered.empty())
        return Failure{wire::Status::Unreadable, "no flattened picture, and its layers use " +
                                                     unrendered +
                                                     ": save it with Maximize Compatibility on"};
    return std::move(*tree);
}

Result<Decoded> Rebuild(const std::string &source, const std::string &jpegPath,
                        const DecodePlan &plan, int quality)
{
    // The tree points into the section, which lives until the picture is written.
    return ReadLayerSection(source, plan.header).Then([&](const LayerSection &section) {
        return RenderedTree(source, section, plan.header)
            .Then([&](const std::vector<LayerNode> &tree) {
                return Compose(source, jpegPath, plan, tree, quality);
            });
    });
}

} // namespace

Result<Decoded> ConvertFromLayers(const std::string &source, const std::string &jpegPath,
                                  const DecodePlan &plan, int quality)
{
    try {
        return Rebuild(source, jpegPath, plan, quality);
    } catch (const std::bad_alloc &) {
        return Result<Decoded>(Failure{wire::Status::Unreadable, "out of memory"})
            .WithFreshWorker();
    }
}
