#pragma once

#include "shared/psd/layeradjustment.h"
#include "shared/psd/psdheader.h"
#include "worker/layers/gradientmap.h"
#include "worker/layers/pixeladjustments.h"
#include "worker/layers/pixelband.h"
#include "worker/layers/tonecurves.h"

#include <optional>
#include <string>
#include <vector>

// An adjustment layer's change to the colours beneath it, in the document's mode and depth:
// per-channel curves through a table of every level the depth holds, the rest pixel by pixel.
// CMYK is adjusted as the document stores it, where 1 is no ink.
class AdjustmentStep
{
public:
    AdjustmentStep(const Adjustment &adjustment, const PsdHeader &header);

    // The colours of every pixel of `band` adjusted; transparency left as it is.
    void Apply(PixelBand &band) const;

private:
    float Level(float value, std::size_t channel) const;

    int m_colours;
    int m_levels; // the top level of a table: 255 at 8 bits, 32768 at 16; 0 without tables
    std::vector<ToneCurve> m_curves;
    std::vector<std::vector<float>> m_tables;
    std::optional<PixelAdjustment> m_pixels;
    std::optional<GradientMapStep> m_map;
};

// What of `adjustment` is not rendered faithfully in the document's mode and depth, named
// for the user ("curves in 32 bits"); empty where it is.
std::string UnrenderedAdjustment(const Adjustment &adjustment, const PsdHeader &header);
