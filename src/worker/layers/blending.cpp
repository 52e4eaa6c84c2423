#include "worker/layers/blending.h"

#include <algorithm>
#include <vector>

namespace
{

// Pixels blended at a time: their blends stay in the first level of the cache.
constexpr std::int64_t Chunk = 256;

// `pixels` pixels of a row of `Colours` colours and alpha. An opaque source over a clear or
// an opaque backdrop comes out of the formula below as its own colour or as the blend, exactly
// (as zeros times finite values, and ones), so those are taken as they are.
template <int Colours>
void BlendPixels(float *b, const float *s, const float *mixed, std::int64_t pixels, float opacity,
                 bool clip)
{
    constexpr int stride = Colours + 1;
    for (std::int64_t x = 0; x < pixels; ++x, b += stride, s += stride, mixed += stride) {
        const float as = s[Colours] * opacity;
        const float ab = clip ? 1.0f : b[Colours];
        if (as <= 0)
            continue;
        if (as == 1 && (ab == 1 || ab == 0)) {
            std::copy_n(ab == 1 ? mixed : s, Colours, b);
            b[Colours] = clip ? b[Colours] : 1.0f;
            continue;
        }
        const float ao = as + ab - as * ab;
        for (int c = 0; c < Colours; ++c) {
            const float shown = (1 - ab) * s[c] + ab * mixed[c];
            b[c] = (as * shown + (1 - as) * ab * b[c]) / ao;
        }
        if (!clip)
            b[Colours] = ao;
    }
}

// Grey, RGB and CMYK each with a loop of their own, which the compiler unrolls.
void BlendPixels(float *b, const float *s, const float *mixed, std::int64_t pixels, int stride,
                 float opacity, bool clip)
{
    switch (stride - 1) {
    case 1:
        return BlendPixels<1>(b, s, mixed, pixels, opacity, clip);
    case 3:
        return BlendPixels<3>(b, s, mixed, pixels, opacity, clip);
    default:
        return BlendPixels<4>(b, s, mixed, pixels, opacity, clip);
    }
}

} // namespace

// Normal blending is the source's own colour, which needs no blending first.
void BlendOnto(PixelBand &backdrop, const PixelBand &source, BlendMode mode, float opacity,
               bool clip)
{
    const BandRect area =
        Overlap(backdrop, {source.left, source.top, source.Right(), source.Bottom()});
    const int stride = backdrop.stride;
    std::vector<float> blended(std::size_t(Chunk * stride));
    for (std::int64_t y = area.top; y < area.bottom; ++y) {
        for (std::int64_t x = area.left; x < area.right; x += Chunk) {
            const std::int64_t pixels = std::min(Chunk, area.right - x);
            float *b = backdrop.At(x, y);
            const float *s = source.At(x, y);
            const float *mixed = s;
            if (mode != BlendMode::Normal) {
                BlendColours(mode, b, s, blended.data(), std::size_t(pixels), stride - 1, stride);
                mixed = blended.data();
            }
            BlendPixels(b, s, mixed, pixels, stride, opacity, clip);
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
