#include "colourgrid.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr int EncodeSteps = 65535;

double SrgbEncoded(double linear)
{
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

} // namespace

ColourGrid::ColourGrid(int colours, int pointsPerAxis, const Sampler &sample)
    : m_colours(colours), m_points(pointsPerAxis), m_encode(EncodeSteps + 1)
{
    std::size_t points = 1;
    for (int c = colours - 1; c >= 0; --c) {
        m_strides[c] = points * 3;
        points *= std::size_t(pointsPerAxis);
    }
    std::vector<float> units(points * std::size_t(colours));
    for (std::size_t p = 0; p < points; ++p) {
        for (int c = 0; c < colours; ++c) {
            const std::size_t step = p * 3 / m_strides[c] % std::size_t(pointsPerAxis);
            units[p * std::size_t(colours) + std::size_t(c)] = float(step) / float(m_points - 1);
        }
    }
    m_linear.resize(points * 3);
    sample(units.data(), points, m_linear.data());
    for (int i = 0; i <= EncodeSteps; ++i)
        m_encode[std::size_t(i)] =
            std::uint8_t(std::lround(SrgbEncoded(i / double(EncodeSteps)) * 255));
    for (int value = 0; value < 256; ++value)
        m_byteCells[value] = CellOf(float(value) / 255.0f);
}

ColourGrid::Cell ColourGrid::CellOf(float unit) const
{
    const float position = std::clamp(unit, 0.0f, 1.0f) * float(m_points - 1);
    const int cell = std::min(int(position), m_points - 2);
    return {cell, position - float(cell)};
}

// Tetrahedral interpolation in the cell of the first three channels: the pixel lies in the
// tetrahedron that the order of its fractions picks out, and its corners' weights are the
// differences of those fractions. Chosen by selects, not branches, which would stall on noisy
// pictures.
void ColourGrid::Tetrahedral(std::size_t base, const Cell *cells, float weight, float *sum) const
{
    const float a = cells[0].fraction;
    const float b = cells[1].fraction;
    const float c = cells[2].fraction;
    const float high = std::max({a, b, c});
    const float low = std::min({a, b, c});
    const float middle = a + b + c - high - low;
    // The order of the three, ties going to the earlier channel.
    const bool abOrder = a >= b;
    const bool acOrder = a >= c;
    const bool bcOrder = b >= c;
    const std::size_t *strides = m_strides;
    const std::size_t highStride = abOrder && acOrder    ? strides[0]
                                   : !abOrder && bcOrder ? strides[1]
                                                         : strides[2];
    const std::size_t lowStride = !abOrder && !acOrder  ? strides[0]
                                  : abOrder && !bcOrder ? strides[1]
                                                        : strides[2];
    const std::size_t all = strides[0] + strides[1] + strides[2];
    const std::size_t first = highStride;
    const std::size_t second = all - highStride - lowStride;
    const float *p = &m_linear[base];
    const float w0 = weight * (1 - high);
    const float w1 = weight * (high - middle);
    const float w2 = weight * (middle - low);
    const float w3 = weight * low;
    for (int k = 0; k < 3; ++k)
        sum[k] += w0 * p[k] + w1 * p[first + k] + w2 * p[first + second + k] + w3 * p[all + k];
}

// Four channels: between the two tetrahedral results of the neighbouring planes of the last.
template <int Colours> void ColourGrid::Blend(const Cell *cells, std::uint8_t *rgb) const
{
    std::size_t base = 0;
    for (int c = 0; c < Colours; ++c)
        base += std::size_t(cells[c].index) * m_strides[c];
    float sum[3] = {0, 0, 0};
    if constexpr (Colours == 3) {
        Tetrahedral(base, cells, 1, sum);
    } else {
        const float up = cells[3].fraction;
        Tetrahedral(base, cells, 1 - up, sum);
        Tetrahedral(base + m_strides[3], cells, up, sum);
    }
    for (int k = 0; k < 3; ++k)
        rgb[k] = m_encode[std::size_t(std::clamp(sum[k], 0.0f, 1.0f) * EncodeSteps + 0.5f)];
}

template <int Colours>
void ColourGrid::FromUnits(const float *units, std::size_t pixels, std::uint8_t *rgb) const
{
    Cell cells[Colours];
    for (std::size_t i = 0; i < pixels; ++i, units += Colours, rgb += 3) {
        for (int c = 0; c < Colours; ++c)
            cells[c] = CellOf(units[c]);
        Blend<Colours>(cells, rgb);
    }
}

template <int Colours>
void ColourGrid::FromBytes(const std::uint8_t *samples, std::size_t pixels, std::size_t stride,
                           std::uint8_t *rgb) const
{
    Cell cells[Colours];
    for (std::size_t i = 0; i < pixels; ++i, samples += stride, rgb += 3) {
        for (int c = 0; c < Colours; ++c)
            cells[c] = m_byteCells[samples[c]];
        Blend<Colours>(cells, rgb);
    }
}

void ColourGrid::ToSrgb8(const float *units, std::size_t pixels, std::uint8_t *rgb) const
{
    if (m_colours == 4)
        FromUnits<4>(units, pixels, rgb);
    else
        FromUnits<3>(units, pixels, rgb);
}

void ColourGrid::ToSrgb8(const std::uint8_t *samples, std::size_t pixels, std::size_t stride,
                         std::uint8_t *rgb) const
{
    if (m_colours == 4)
        FromBytes<4>(samples, pixels, stride, rgb);
    else
        FromBytes<3>(samples, pixels, stride, rgb);
}
