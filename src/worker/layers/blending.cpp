#include "worker/layers/blending.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

namespace
{

// Pixels blended at a time: their blends stay in the first level of the cache.
constexpr std::int64_t Chunk = 256;

// Four floats taken at once: an RGB pixel and its alpha.
using Lanes = float __attribute__((vector_size(16)));

// b's colours become f(b, s, m) of the pixels' colours: for RGB as lanes of one operation
// (which gives each lane what it gives a float), else one colour after another.
template <int Colours, typename F> void EachColour(float *b, const float *s, const float *m, F f)
{
    if constexpr (Colours == 3) {
        Lanes lanes[3];
        std::memcpy(&lanes[0], b, sizeof(Lanes));
        std::memcpy(&lanes[1], s, sizeof(Lanes));
        std::memcpy(&lanes[2], m, sizeof(Lanes));
        const Lanes result = f(lanes[0], lanes[1], lanes[2]);
        std::memcpy(b, &result, sizeof(float) * Colours);
    } else {
        for (int c = 0; c < Colours; ++c)
            b[c] = f(b[c], s[c], m[c]);
    }
}

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
        EachColour<Colours>(b, s, mixed, [&](auto below, auto own, auto blend) {
            const auto shown = (1 - ab) * own + ab * blend;
            return (as * shown + (1 - as) * ab * below) / ao;
        });
        if (!clip)
            b[Colours] = ao;
    }
}

template <int Colours>
void MixPixels(float *b, const float *t, const float *shares, std::int64_t pixels, float opacity)
{
    constexpr int stride = Colours + 1;
    for (std::int64_t x = 0; x < pixels; ++x, b += stride, t += stride) {
        const float k = opacity * shares[x];
        const float ab = b[Colours] * (1 - k);
        const float at = t[Colours] * k;
        const float ao = ab + at;
        if (ao > 0)
            EachColour<Colours>(b, t, t, [&](auto below, auto through, auto) {
                return (ab * below + at * through) / ao;
            });
        b[Colours] = ao;
    }
}

// f(colours) with the colours a pixel has as a constant, so that grey, RGB and CMYK each have
// loops of their own, which the compiler unrolls.
template <typename F> void ForColours(int stride, F f)
{
    switch (stride - 1) {
    case 1:
        return f(std::integral_constant<int, 1>{});
    case 3:
        return f(std::integral_constant<int, 3>{});
    default:
        return f(std::integral_constant<int, 4>{});
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
            ForColours(stride, [&](auto colours) {
                BlendPixels<decltype(colours)::value>(b, s, mixed, pixels, opacity, clip);
            });
        }
    }
}

bool MixBack(PixelBand &backdrop, const PixelBand &through, float opacity,
             const RowFactors &factors)
{
    std::vector<float> shares(std::size_t(backdrop.width));
    for (std::int64_t y = backdrop.top; y < backdrop.Bottom(); ++y) {
        if (!factors(y, backdrop.left, backdrop.width, shares.data()))
            return false;
        float *b = backdrop.At(backdrop.left, y);
        const float *t = through.At(backdrop.left, y);
        ForColours(backdrop.stride, [&](auto colours) {
            MixPixels<decltype(colours)::value>(b, t, shares.data(), backdrop.width, opacity);
        });
    }
    return true;
}
