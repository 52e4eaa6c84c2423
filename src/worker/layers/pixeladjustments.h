#pragma once

#include "shared/psd/layeradjustment.h"
#include "shared/psd/psdheader.h"
#include "worker/layers/pixelband.h"

// The adjustments that mix a pixel's channels (the channel mixer in RGB), pixel by pixel at
// the document's levels.
class PixelAdjustment
{
public:
    PixelAdjustment(const AdjustmentSettings &settings, const PsdHeader &header);

    // Whether `settings` are of a kind handled here in the document's mode.
    static bool Handles(const AdjustmentSettings &settings, ColorMode mode);
    void Apply(PixelBand &band) const;

private:
    float Level(float value) const;
    void Mix(const ChannelMixerSettings &mixer, float *rgb) const;

    AdjustmentSettings m_settings;
    float m_levels; // 255 at 8 bits, 32768 at 16
};
