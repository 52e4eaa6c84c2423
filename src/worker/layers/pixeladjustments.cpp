#include "worker/layers/pixeladjustments.h"

#include <algorithm>
#include <cmath>

PixelAdjustment::PixelAdjustment(const AdjustmentSettings &settings, const PsdHeader &header)
    : m_settings(settings), m_levels(header.depth == 8 ? 255.0f : 32768.0f)
{
}

bool PixelAdjustment::Handles(const AdjustmentSettings &settings, ColorMode mode)
{
    // Which output a monochrome mix keeps is not known: it is not taken.
    const auto *mixer = std::get_if<ChannelMixerSettings>(&settings);
    return mixer && !mixer->monochrome && mode == ColorMode::Rgb;
}

// Each output the sum of the sources in their shares and the constant.
void PixelAdjustment::Mix(const ChannelMixerSettings &mixer, float *rgb) const
{
    float mixed[3] = {};
    for (std::size_t out = 0; out < 3; ++out) {
        const std::array<int, 5> &shares = mixer.outputs[out];
        mixed[out] = float(shares[4]) / 100;
        for (std::size_t in = 0; in < 3; ++in)
            mixed[out] += float(shares[in]) / 100 * rgb[in];
    }
    std::copy(std::begin(mixed), std::end(mixed), rgb);
}

// At the document's levels, as Photoshop computes them.
float PixelAdjustment::Level(float value) const
{
    return std::round(std::clamp(value, 0.0f, 1.0f) * m_levels) / m_levels;
}

void PixelAdjustment::Apply(PixelBand &band) const
{
    float *pixel = band.values.data();
    const float *end = pixel + band.values.size();
    const int colours = band.stride - 1;
    for (; pixel != end; pixel += band.stride) {
        for (int c = 0; c < colours; ++c)
            pixel[c] = Level(pixel[c]);
        if (const auto *mixer = std::get_if<ChannelMixerSettings>(&m_settings))
            Mix(*mixer, pixel);
        for (int c = 0; c < colours; ++c)
            pixel[c] = Level(pixel[c]);
    }
}
