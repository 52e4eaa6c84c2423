#include "worker/colour/colourgrid.h"

#include "worker/colour/unitsample.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{

// Steps of the encoding table, over the square root of linear light: fine where the sRGB
// curve is steep, and small enough to stay in the fastest cache, which a table over linear
// light as fine near black would not.
constexpr int EncodeSteps = 4095;

// The sRGB encoding, made once per process.
const std::array<std::uint8_t, EncodeSteps + 1> &SrgbEncoding()
{
    static const auto table = [] {
        std::array<std::uint8_t, EncodeSteps + 1> encoded{};
        for (int i = 0; i <= EncodeSteps; ++i) {
            const double root = i / double(EncodeSteps);
            const double linear = root * root;
            const double value =
                linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            encoded[std::size_t(i)] = std::uint8_t(std::lround(value * 255));
        }
        return encoded;
    }();
    return table;
}

} // namespace

ColourGrid::ColourGrid(int colours, int pointsPerAxis, const Sampler &sample)
    : m_colours(colours), m_points(pointsPerAxis), m_encode(SrgbEncoding().data())
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
    for (int value = 0; value < 256; ++value)
        m_byteCells[value] = CellOf(float(value) / 255.0f);
}

ColourGrid::Cell ColourGrid::CellOf(float unit) const
{
    const float position = Share(unit) * float(m_points - 1);
    const int cell = std::min(int(position), m_points - 2);
    return {cell, position - float(cell)};
}

// Tetrahedral interpolation in the cell of the first three channels: the pixel lies in the
// tetrahedron that the order of its fractions picks out, and its corners' weights are the
// differences of those fractions. Chosen by selects, not branches, which would stall on noisy
// pictures.
[[gnu::always_inline]] inline ColourGrid::Tetrahedron
ColourGrid::TetrahedronOf(const Cell *cells) const
{
    const float a = cells[0].fraction;
    const float b = cells[1].fraction;
    const float c = cells[2].fraction;
    const float high = std::max({a, b, c});
    const float low = std::min({a, b, c});
    const float middle = a + b + c - high - low;
    // The order of the three, ties going to the earlier channel.
    const bool ab = a >= b;
    const bool ac = a >= c;
    const bool bc = b >= c;
    const std::size_t highStride = ab && ac    ? m_strides[0]
                                   : !ab && bc ? m_strides[1]
                                               : m_strides[2];
    const std::size_t lowStride = !ab && !ac  ? m_strides[0]
                                  : ab && !bc ? m_strides[1]
                                              : m_strides[2];
    const std::size_t all = m_strides[0] + m_strides[1] + m_strides[2];
    return {highStride, all - lowStride, all, {1 - high, high - middle, middle - low, low}};
}

[[gnu::always_inline]] inline void ColourGrid::Accumulate(const float *point,
                                                          const Tetrahedron &tetrahedron,
                                                          float share, float *sum) const
{
    const float *w = tetrahedron.weights;
    for (int k = 0; k < 3; ++k)
        sum[k] +=
            share * (w[0] * point[k] + w[1] * point[tetrahedron.first + k] +
                     w[2] * point[tetrahedron.second + k] + w[3] * point[tetrahedron.third + k]);
}

// Four channels: between the results in the two neighbouring planes of the last, which share
// their tetrahedron.
template <int Colours> void ColourGrid::Blend(const Cell *cells, std::uint8_t *rgb) const
{
    std::size_t base = 0;
    for (int c = 0; c < Colours; ++c)
        base += std::size_t(cells[c].index) * m_strides[c];
    const Tetrahedron tetrahedron = TetrahedronOf(cells);
    const float *point = &m_linear[base];
    float sum[3] = {0, 0, 0};
    if constexpr (Colours == 3) {
        Accumulate(point, tetrahedron, 1, sum);
    } else {
        Accumulate(point, tetrahedron, 1 - cells[3].fraction, sum);
        Accumulate(point + m_strides[3], tetrahedron, cells[3].fraction, sum);
    }
    for (int k = 0; k < 3; ++k)
        rgb[k] = m_encode[std::size_t(std::sqrt(Share(sum[k])) * EncodeSteps + 0.5f)];
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
