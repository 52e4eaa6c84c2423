#pragma once

#include "shared/psd/psdheader.h"
#include "worker/layers/pixelband.h"

struct LayerRecord;

// Whether the layer's style changes the picture: switched on, with an effect on.
bool ShowsStyle(const LayerRecord &layer);

// The layer's pixels `source` (its masks in its alpha) with the effects of its style onto
// `backdrop`, as far as UnrenderedFeatures lets them through: a layer blended normally and not
// clipped, with colour and gradient overlays. The inside of the layer is its pixels at fill
// opacity with the overlays over them, painted at the layer's alpha; all of it at the layer's
// opacity.
void DrawStyled(const LayerRecord &layer, const PixelBand &source, const PsdHeader &header,
                PixelBand &backdrop);
