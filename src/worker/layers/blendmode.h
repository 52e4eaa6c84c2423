#pragma once

// Photoshop's blend modes, by the key a layer record stores, and how each mixes a layer's
// colour into the colour below. Colours are shares of their range, as stored (CMYK as what is
// left of the paper, so that multiply darkens there too).

#include <cstddef>
#include <optional>
#include <string>

enum class BlendMode {
    Normal,
    Multiply,
    Screen,
    Overlay,
    Darken,
    Lighten,
    ColorDodge,
    ColorBurn,
    LinearDodge,
    LinearBurn,
    HardLight,
    SoftLight,
    VividLight,
    LinearLight,
    PinLight,
    HardMix,
    Difference,
    Exclusion,
    Subtract,
    Divide,
    Hue,
    Saturation,
    Color,
    Luminosity,
    DarkerColor,
    LighterColor,
};

// nullopt for keys not rendered here: dissolve, pass-through (a group's), and unknown ones.
std::optional<BlendMode> BlendModeOf(const std::string &key);

// The modes that work on a pixel's colours together; RGB only here.
bool IsNonSeparable(BlendMode mode);

// The modes that fill opacity changes differently from opacity.
bool TreatsFillApart(BlendMode mode);

// The modes that keep their meaning on 32-bit linear values beyond 1.
bool WorksInLinearLight(BlendMode mode);

// result = B(backdrop, source) for `pixels` pixels of `channels` interleaved colours, a stride
// of `stride` floats apart.
void BlendColours(BlendMode mode, const float *backdrop, const float *source, float *result,
                  std::size_t pixels, int channels, int stride);
