#pragma once

// The settings of an adjustment layer, as its block of additional layer information holds
// them. Tone settings are on the 0..255 scale whatever the depth; index 0 of per-channel
// settings is the composite, then each colour channel in the document's order.

#include "shared/psd/layergradient.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class SectionReader;

struct LevelsChannel {
    int inputFloor = 0;
    int inputCeiling = 255;
    int outputFloor = 0;
    int outputCeiling = 255;
    double gamma = 1;
};

struct LevelsSettings {
    std::vector<LevelsChannel> channels;
};

// A curve's knots as (input, output); none where the channel is left as it is.
struct CurvesSettings {
    std::vector<std::vector<std::array<int, 2>>> channels;
};

struct BrightnessContrastSettings {
    int brightness = 0;
    int contrast = 0;
    bool legacy = true;
};

// A range of hues (degrees): fully affected from `from` to `to`, fading out to `start` and `end`.
struct HueRange {
    std::array<int, 4> bounds{}; // start, from, to, end
    std::array<int, 3> shift{};  // hue, saturation, lightness
};

struct HueSaturationSettings {
    bool colourise = false;
    std::array<int, 3> colourShift{}; // hue, saturation, lightness when colourising
    std::array<int, 3> master{};
    std::array<HueRange, 6> ranges{};
};

struct InvertSettings {
};

struct PosterizeSettings {
    int levels = 2;
};

struct ThresholdSettings {
    int level = 128;
};

struct ExposureSettings {
    double exposure = 0;
    double offset = 0;
    double gamma = 1;
};

// Each output channel from the source channels in per cent, then a constant in per cent.
struct ChannelMixerSettings {
    bool monochrome = false;
    std::vector<std::array<int, 5>> outputs;
};

// Each pixel's luminosity mapped through a gradient.
struct GradientMapSettings {
    GradientStops stops;
    bool reverse = false;
};

using AdjustmentSettings =
    std::variant<std::monostate, LevelsSettings, CurvesSettings, BrightnessContrastSettings,
                 HueSaturationSettings, InvertSettings, PosterizeSettings, ThresholdSettings,
                 ExposureSettings, ChannelMixerSettings, GradientMapSettings>;

struct Adjustment {
    std::string key;       // of the block that makes the layer an adjustment layer
    bool readable = false; // whether its settings were read whole, as one of the kinds above
    AdjustmentSettings settings;
};

// What the user calls the adjustment whose block has `key`; empty where none has it.
std::string AdjustmentName(const std::string &key);

// Takes the block `key` from the reader's position to `end` into `adjustment`. The new
// brightness/contrast block (`CgEd`) completes the legacy one (`brit`) it comes with.
void ReadAdjustment(SectionReader &reader, const std::string &key, std::uint64_t end,
                    Adjustment &adjustment);
