#include "worker/layers/adjustment.h"

#include "worker/layers/tonecurves.h"

#include <cmath>

namespace
{

// Photoshop holds 16-bit levels as 0..32768: its tables have a place for each. 32-bit
// samples, unbounded, go through the curves themselves.
int TopLevel(int depth)
{
    return depth == 8 ? 255 : depth == 16 ? 32768 : 0;
}

} // namespace

AdjustmentStep::AdjustmentStep(const Adjustment &adjustment, const PsdHeader &header)
    : m_colours(ColourChannels(header.colorMode)), m_levels(TopLevel(header.depth))
{
    // An adjustment not rendered is met only over nothing, where it changes nothing.
    if (!UnrenderedAdjustment(adjustment, header).empty())
        return;
    if (const auto *map = std::get_if<GradientMapSettings>(&adjustment.settings)) {
        m_map.emplace(*map, header.colorMode);
        return;
    }
    if (PixelAdjustment::Handles(adjustment.settings, header.colorMode)) {
        m_pixels.emplace(adjustment.settings, header);
        return;
    }
    m_curves = ToneCurves(adjustment.settings, m_colours, header.depth);
    for (std::size_t c = 0; c < m_curves.size() && m_levels > 0; ++c) {
        std::vector<float> &table = m_tables.emplace_back(std::size_t(m_levels) + 1);
        for (int level = 0; level <= m_levels; ++level) {
            const double out = m_curves[c](double(level) / m_levels);
            table[std::size_t(level)] = float(std::round(out * m_levels) / m_levels);
        }
    }
}

float AdjustmentStep::Level(float value, std::size_t channel) const
{
    if (m_levels == 0)
        return float(m_curves[channel](value));
    const long level = std::lround(std::clamp(value, 0.0f, 1.0f) * float(m_levels));
    return m_tables[channel][std::size_t(level)];
}

void AdjustmentStep::Apply(PixelBand &band) const
{
    if (m_pixels)
        return m_pixels->Apply(band);
    if (m_map)
        return m_map->Apply(band);
    float *pixel = band.values.data();
    const float *end = pixel + band.values.size();
    for (; pixel != end && !m_curves.empty(); pixel += band.stride) {
        for (int c = 0; c < m_colours; ++c)
            pixel[c] = Level(pixel[c], std::size_t(c));
    }
}

std::string UnrenderedAdjustment(const Adjustment &adjustment, const PsdHeader &header)
{
    const std::string name = AdjustmentName(adjustment.key);
    const AdjustmentSettings &settings = adjustment.settings;
    if (!adjustment.readable)
        return name;
    // Photoshop offers exposure in grey and RGB only: how it would take inks is not known.
    if (std::holds_alternative<ExposureSettings>(settings) && header.colorMode == ColorMode::Cmyk)
        return name + " in CMYK";
    // Only the exposure itself has been held to Photoshop's pictures at 8 and 16 bits.
    if (const auto *exposure = std::get_if<ExposureSettings>(&settings);
        exposure && header.depth != 32 && (exposure->offset != 0 || exposure->gamma != 1))
        return name + " with an offset or gamma";
    if (header.depth == 32 && std::holds_alternative<GradientMapSettings>(settings))
        return name + " in 32 bits";
    if (const auto *map = std::get_if<GradientMapSettings>(&settings))
        return GradientMapStep::Unrendered(*map, header.colorMode);
    if (PixelAdjustment::Handles(settings, header.colorMode) && header.depth != 32)
        return "";
    if (!ToneCurves(settings, ColourChannels(header.colorMode), header.depth).empty())
        return "";
    if (header.depth == 32)
        return name + " in 32 bits";
    return std::holds_alternative<ThresholdSettings>(settings) ? name + " outside grey" : name;
}
