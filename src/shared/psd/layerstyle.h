#pragma once

// A layer's style (`lfx2`, `lmfx`): its effects, each with the settings a renderer needs, and
// the master switch that turns them all off.

#include "shared/psd/layerfill.h"
#include "shared/psd/layergradient.h"
#include "shared/psd/layerpattern.h"

#include <cstdint>
#include <string>
#include <vector>

class SectionReader;

enum class EffectKind {
    DropShadow,
    InnerShadow,
    OuterGlow,
    InnerGlow,
    Bevel,
    Satin,
    ColourOverlay,
    GradientOverlay,
    PatternOverlay,
    Stroke,
};

struct LayerEffect {
    EffectKind kind = EffectKind::ColourOverlay;
    std::string blendMode = "norm"; // as a layer record's key
    double opacity = 1;
    SolidColour colour;
    GradientFill gradient; // a gradient overlay's
    PatternFill pattern;   // a pattern overlay's
};

struct LayerStyle {
    bool present = false;
    bool readable = true;
    bool on = true;                   // the master switch
    std::vector<LayerEffect> effects; // the enabled ones only
};

// The style of an `lfx2` or `lmfx` block from the reader's position to `end`.
LayerStyle ReadLayerStyle(SectionReader &reader, std::uint64_t end);

// The effect's name as the user knows it, such as "drop shadow".
std::string EffectName(EffectKind kind);
