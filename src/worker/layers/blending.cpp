#include "worker/layers/blending.h"

#include <vector>

void BlendOnto(PixelBand &backdrop, const PixelBand &source, BlendMode mode, float opacity,
               bool clip)
{
    const PixelBand area =
        Within(backdrop, source.left, source.top, source.Right(), source.Bottom());
    const int colours = backdrop.stride - 1;
    std::vector<float> blended(std::size_t(area.width * backdrop.stride));
    for (std::int64_t y = area.top; y < area.Bottom(); ++y) {
        float *b = backdrop.At(area.left, y);
        const float *s = source.At(area.left, y);
        BlendColours(mode, b, s, blended.data(), std::size_t(area.width), colours, backdrop.stride);
        const float *mixed = blended.data();
        for (std::int64_t x = 0; x < area.width;
             ++x, b += backdrop.stride, s += backdrop.stride, mixed += backdrop.stride) {
            const float as = s[colours] * opacity;
            const float ab = clip ? 1.0f : b[colours];
            if (as <= 0)
                continue;
            const float ao = as + ab - as * ab;
            for (int c = 0; c < colours; ++c) {
                const float shown = (1 - ab) * s[c] + ab * mixed[c];
                b[c] = (as * shown + (1 - as) * ab * b[c]) / ao;
            }
            if (!clip)
                b[colours] = ao;
        }
    }
}

bool MixBack(PixelBand &backdrop, const PixelBand &through, float opacity,
             const RowFactors &factors)
{
    const int colours = backdrop.stride - 1;
    std::vector<float> shares(std::size_t(backdrop.width));
    for (std::int64_t y = backdrop.top; y < backdrop.Bottom(); ++y) {
        if (!factors(y, backdrop.left, backdrop.width, shares.data()))
            return false;
        float *b = backdrop.At(backdrop.left, y);
        const float *t = through.At(backdrop.left, y);
        for (std::int64_t x = 0; x < backdrop.width;
             ++x, b += backdrop.stride, t += backdrop.stride) {
            const float k = opacity * shares[std::size_t(x)];
            const float ab = b[colours] * (1 - k);
            const float at = t[colours] * k;
            const float ao = ab + at;
            for (int c = 0; c < colours && ao > 0; ++c)
                b[c] = (ab * b[c] + at * t[c]) / ao;
            b[colours] = ao;
        }
    }
    return true;
}
