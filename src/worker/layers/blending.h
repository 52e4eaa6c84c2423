#pragma once

#include "worker/layers/blendmode.h"
#include "worker/layers/pixelband.h"

#include <functional>

// Blends `source` onto `backdrop` where the two overlap, by `mode` at `opacity`: what shows
// where the source covers the backdrop partly is the source's own colour, where it covers it
// wholly the blend of the two. With `clip` the backdrop keeps its alpha: the source is clipped
// to it, as layers are to the base of their clipping group.
void BlendOnto(PixelBand &backdrop, const PixelBand &source, BlendMode mode, float opacity,
               bool clip);

// The share of a group's result at each of `width` pixels of row y, from x = left.
using RowFactors =
    std::function<bool(std::int64_t y, std::int64_t left, std::int64_t width, float *factors)>;

// A pass-through group: `through` is the backdrop with the group's layers composed onto it;
// each pixel of the backdrop becomes the mix of the two by `opacity` times `factors`.
bool MixBack(PixelBand &backdrop, const PixelBand &through, float opacity,
             const RowFactors &factors);
