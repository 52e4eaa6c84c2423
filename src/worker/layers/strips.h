#pragma once

#include "worker/layers/compositor.h"
#include "worker/layers/pixelband.h"

// The rows from `top` on, as many as `band` is high, composed into `band` a few rows at a time:
// every layer then passes over rows that are still in the cache, where the whole band, tens of
// megabytes at large widths, would be fetched from memory again for each. False when layer
// data is damaged, as for Compose.
bool ComposeInStrips(LayerCompositor &compositor, std::int64_t top, PixelBand &band);
