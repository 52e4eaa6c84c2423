#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// A colour transform sampled on a grid over the stored values, for pictures too large to pass
// pixel by pixel through an exact one. The grid holds linear-light sRGB, not yet clipped to
// the gamut or encoded, so that interpolating between its points stays within a few levels of
// the exact result; clipping and encoding follow for each pixel.
class ColourGrid
{
public:
    // Fills `count` points of `colours` channels (shares of the stored range, in the grid's
    // order) with linear-light sRGB triplets in `linear`.
    using Sampler = std::function<void(const float *units, std::size_t count, float *linear)>;

    ColourGrid(int colours, int pointsPerAxis, const Sampler &sample);

    // `pixels` pixels of `colours` shares each become 8-bit sRGB triplets; any float is taken,
    // by the rule of Share().
    void ToSrgb8(const float *units, std::size_t pixels, std::uint8_t *rgb) const;
    // The same from 8-bit samples as stored, `stride` bytes from one pixel to the next.
    void ToSrgb8(const std::uint8_t *samples, std::size_t pixels, std::size_t stride,
                 std::uint8_t *rgb) const;

private:
    struct Cell {
        int index = 0;      // of the grid point below
        float fraction = 0; // of the way to the next
    };
    // The corners, as offsets from the cell's first, and their weights.
    struct Tetrahedron {
        std::size_t first, second, third;
        float weights[4];
    };
    Cell CellOf(float unit) const;
    Tetrahedron TetrahedronOf(const Cell *cells) const;
    void Accumulate(const float *point, const Tetrahedron &tetrahedron, float share,
                    float *sum) const;
    template <int Colours> void Blend(const Cell *cells, std::uint8_t *rgb) const;
    template <int Colours>
    void FromUnits(const float *units, std::size_t pixels, std::uint8_t *rgb) const;
    template <int Colours>
    void FromBytes(const std::uint8_t *samples, std::size_t pixels, std::size_t stride,
                   std::uint8_t *rgb) const;

    int m_colours; // 3 or 4
    int m_points;
    std::size_t m_strides[4] = {}; // in floats
    Cell m_byteCells[256];
    std::vector<float> m_linear;  // three per point
    const std::uint8_t *m_encode; // sRGB encoding, by the square root of linear light
};
