#pragma once

#include "shared/psd/layeradjustment.h"
#include "worker/layers/gradient.h"
#include "worker/layers/pixelband.h"

#include <string>

// A gradient map: each pixel's luminosity (its grey in a grey document) taken as a place along
// the gradient, whose colour replaces the pixel's; the gradient's transparency plays no part.
class GradientMapStep
{
public:
    GradientMapStep(const GradientMapSettings &settings, ColorMode mode);

    // What keeps the map from being drawn as Photoshop draws it in `mode`; "" where nothing does.
    static std::string Unrendered(const GradientMapSettings &settings, ColorMode mode);
    void Apply(PixelBand &band) const;

private:
    Gradient m_gradient;
    bool m_reverse;
};
