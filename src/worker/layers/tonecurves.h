#pragma once

#include "shared/psd/layeradjustment.h"

#include <functional>
#include <vector>

// A channel's tone curve on shares of its range, 0..1 in and out.
using ToneCurve = std::function<double(double)>;

// For an adjustment that maps each channel on its own, the curve of each of the `colours`
// channels at `depth` bits; empty for one that mixes channels or is not rendered at that depth.
std::vector<ToneCurve> ToneCurves(const AdjustmentSettings &settings, int colours, int depth);
