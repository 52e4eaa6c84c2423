#pragma once

// Adjustment layers as a writer saves them: a layer without pixels whose block holds the
// settings, in the binary form of each kind.

#include "shared/psd/layeradjustment.h"
#include "support/psdwriter.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <utility>

namespace adjustment
{

using Levels = LevelsChannel; // input floor and ceiling, output floor and ceiling, gamma
// The composite's levels, then each channel's; the rest as they are.
QByteArray LevelsBlock(const QList<Levels> &channels);

using Knots = QList<std::array<int, 2>>; // (input, output)
// The composite's curve, then each channel's; an empty one is left out.
QByteArray CurvesBlock(const QList<Knots> &channels);

QByteArray InvertBlock();
QByteArray PosterizeBlock(int levels);
QByteArray ThresholdBlock(int level);
QByteArray ExposureBlock(float exposure, float offset, float gamma);
// Each output's shares of red, green and blue in per cent, and its constant.
QByteArray ChannelMixerBlock(const QList<std::array<int, 4>> &outputs, bool monochrome = false);
// The legacy block alone.
QByteArray BrightnessBlock(int brightness, int contrast);
// Master hue, saturation and lightness; every range left as it is.
QByteArray HueSaturationBlock(int hue, int saturation, int lightness);

// A gradient map through RGB colour stops (location to 4096, components to 255), opaque, at
// full smoothness; from version 3 on with a way of interpolating, such as "Lnr ".
using Stop = std::pair<int, std::array<int, 3>>;
QByteArray GradientMapBlock(const QList<Stop> &stops, bool reverse = false,
                            const QByteArray &method = {});

// An adjustment layer of `block`, its blend mode and opacity `opacity`.
PsdWriter::Layer Layer(const QByteArray &block, int opacity = 255);

} // namespace adjustment
