#include "worker/layers/gradientmap.h"

#include <array>

namespace
{

// Luminosity as Photoshop weighs red, green and blue in its luminosity blending.
constexpr std::array<float, 3> LuminosityWeights{0.3f, 0.59f, 0.11f};

} // namespace

GradientMapStep::GradientMapStep(const GradientMapSettings &settings, ColorMode mode)
    : m_gradient(settings.stops, mode), m_reverse(settings.reverse)
{
}

std::string GradientMapStep::Unrendered(const GradientMapSettings &settings, ColorMode mode)
{
    if (mode != ColorMode::Rgb && mode != ColorMode::Grayscale)
        return "gradient map outside RGB and grey";
    const std::string gradient = Gradient(settings.stops, mode).Unrendered();
    return gradient.empty() ? "" : "gradient map of " + gradient;
}

void GradientMapStep::Apply(PixelBand &band) const
{
    const int colours = m_gradient.Channels();
    std::array<float, 5> mapped{};
    for (std::size_t at = 0; at < band.values.size(); at += std::size_t(band.stride)) {
        float *pixel = band.values.data() + at;
        float position = pixel[0];
        if (colours == 3)
            position = LuminosityWeights[0] * pixel[0] + LuminosityWeights[1] * pixel[1] +
                       LuminosityWeights[2] * pixel[2];
        m_gradient.At(m_reverse ? 1 - position : position, mapped.data());
        std::copy_n(mapped.cbegin(), colours, pixel);
    }
}
