#include "worker/layers/strips.h"

#include <algorithm>

namespace
{

// A strip's floats: with the few bands composing it holds at once, about the second-level cache.
constexpr std::int64_t StripBytes = std::int64_t(256) << 10;

} // namespace

bool ComposeInStrips(LayerCompositor &compositor, std::int64_t top, PixelBand &band)
{
    const std::int64_t rowFloats = band.width * band.stride;
    const std::int64_t rows =
        std::clamp<std::int64_t>(StripBytes / std::max<std::int64_t>(rowFloats * 4, 1), 1,
                                 std::max<std::int64_t>(band.height, 1));
    band.top = top;
    PixelBand strip(band.left, top, band.width, rows, band.stride);
    for (std::int64_t y = top; y < band.Bottom(); y += rows) {
        if (y + rows > band.Bottom())
            strip = PixelBand(band.left, y, band.width, band.Bottom() - y, band.stride);
        if (!compositor.Compose(y, strip))
            return false;
        std::copy(strip.values.begin(), strip.values.end(),
                  band.values.begin() + (y - top) * rowFloats);
    }
    return true;
}
