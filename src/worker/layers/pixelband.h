#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// A rectangle of the picture as floats: each pixel's colours as shares of their range (32-bit
// ones as stored, linear and unbounded), then its alpha, straight (not multiplied in).
struct PixelBand {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int stride = 0; // floats a pixel: colours, then alpha
    std::vector<float> values;

    PixelBand() = default;
    // A band without pixels has neither columns nor rows: nothing then walks its rows, taking
    // offsets from pixels that are not there.
    PixelBand(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, int floats)
        : left(x), top(y), width(w > 0 && h > 0 ? w : 0), height(w > 0 && h > 0 ? h : 0),
          stride(floats), values(std::size_t(width * height * floats), 0.0f)
    {
    }
    bool IsEmpty() const { return width == 0 || height == 0; }
    std::int64_t Right() const { return left + width; }
    std::int64_t Bottom() const { return top + height; }
    // The pixel at picture coordinates (x, y), which must lie within.
    float *At(std::int64_t x, std::int64_t y) { return values.data() + Offset(x, y); }
    const float *At(std::int64_t x, std::int64_t y) const { return values.data() + Offset(x, y); }
    std::size_t Offset(std::int64_t x, std::int64_t y) const
    {
        return std::size_t(((y - top) * width + (x - left)) * stride);
    }
};

// A rectangle of rows and columns, empty where right <= left or bottom <= top.
struct BandRect {
    std::int64_t left, top, right, bottom;
};

// The part of `band`'s rectangle that lies in `rect`.
inline BandRect Overlap(const PixelBand &band, const BandRect &rect)
{
    return {std::max(rect.left, band.left), std::max(rect.top, band.top),
            std::min(rect.right, band.Right()), std::min(rect.bottom, band.Bottom())};
}

// A band of the part of `band`'s rectangle that lies in the rectangle from (left, top) to
// (right, bottom).
inline PixelBand Within(const PixelBand &band, std::int64_t left, std::int64_t top,
                        std::int64_t right, std::int64_t bottom)
{
    const BandRect r = Overlap(band, {left, top, right, bottom});
    return PixelBand(r.left, r.top, r.right - r.left, r.bottom - r.top, band.stride);
}
