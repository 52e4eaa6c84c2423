#include "worker/colour/colourstep.h"

#include "worker/colour/colourcache.h"
#include "worker/colour/colourgrid.h"
#include "worker/colour/srgbtransform.h"
#include "worker/colour/unitsample.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Pixels handled at once: enough to make a transform call worth its overhead, small enough
// for the stack.
constexpr std::size_t Chunk = 256;

void IgnoreErrors(cmsContext, cmsUInt32Number, const char *) {}

// Lab's a and b are stored with their zero in the middle of the range.
float NeutralAb(int depth)
{
    return depth == 8 ? 128.0f / 255.0f : depth == 16 ? 32768.0f / 65535.0f : 0.5f;
}

// ICC Lab's a and b units per unit of stored range.
float AbScale(int depth)
{
    return depth == 16 ? 65535.0f / 256.0f : 255.0f;
}

// The last grid filled, for the next picture: a batch's files tend to share their profile,
// and filling a grid takes longer than converting a small picture. The worker converts one
// file at a time.
struct GridForProfile {
    std::string key; // the mode, depth and profile it was made for
    std::shared_ptr<const ColourGrid> grid;
};

GridForProfile &LastGrid()
{
    static GridForProfile last;
    return last;
}

// 16-bit samples keep their high byte, as the decoders have always cut them; the small
// addend keeps float error from dropping an exact high byte by one.
std::uint8_t ToByte(float unit, int depth)
{
    const float share = Share(unit);
    if (depth == 16)
        return std::uint8_t(std::floor(share * (65535.0f / 256.0f) + 1e-3f));
    // lround's result for every share from 0 to 1, checked one by one, in a fraction of its time.
    return std::uint8_t(double(share * 255.0f) + 0.5);
}

} // namespace

ColourStep::ColourStep(const SampleLayout &layout, const std::string &iccProfile, bool blendOnWhite,
                       bool whiteWhereClear, std::uint64_t pixels)
    : m_layout(layout), m_colours(ColourChannels(layout.colorMode)),
      m_channels(m_colours + (layout.hasAlpha ? 1 : 0)), m_blend(blendOnWhite && layout.hasAlpha),
      m_whiteWhereClear(whiteWhereClear && layout.hasAlpha && !m_blend)
{
    cmsSetLogErrorHandler(IgnoreErrors);
    if (m_layout.colorMode == ColorMode::Lab || !iccProfile.empty())
        UseProfile(iccProfile, pixels);
    if (m_transform && !m_grid && ColourCache::Fits(KeyBytes()))
        m_cache = std::make_unique<ColourCache>();
}

ColourStep::~ColourStep()
{
    if (m_transform)
        cmsDeleteTransform(m_transform);
}

// Lab is ICC Lab, whatever profile comes with it: its white is D50.
void ColourStep::UseProfile(const std::string &iccProfile, std::uint64_t pixels)
{
    const ColorMode mode = m_layout.colorMode;
    cmsHPROFILE source =
        mode == ColorMode::Lab
            ? cmsCreateLab4Profile(nullptr)
            : cmsOpenProfileFromMem(iccProfile.data(), cmsUInt32Number(iccProfile.size()));
    if (!source) {
        m_detail = "damaged colour profile ignored";
        return;
    }
    if (mode != ColorMode::Lab && !FitsMode(source, mode)) {
        m_detail = "colour profile of another colour mode ignored";
        cmsCloseProfile(source);
        return;
    }
    const int points = m_colours == 4 ? 17 : 49;
    const bool gridded =
        mode != ColorMode::Grayscale && pixels > std::uint64_t(std::pow(points, m_colours));
    const std::string gridKey = std::to_string(int(mode)) + "/" + std::to_string(m_layout.depth) +
                                "/" + (mode == ColorMode::Lab ? std::string() : iccProfile);
    if (gridded && LastGrid().key == gridKey) {
        m_grid = LastGrid().grid;
        m_throughProfile = true;
        cmsCloseProfile(source);
        return;
    }
    m_transform = SrgbTransform(source, mode, false);
    m_throughProfile = m_transform != nullptr;
    if (!m_transform) {
        m_detail = "damaged colour profile ignored";
    } else if ((mode == ColorMode::Grayscale || mode == ColorMode::Rgb) && IsNearlyIdentity()) {
        cmsDeleteTransform(m_transform);
        m_transform = nullptr;
    } else if (gridded) {
        SampleOnGrid(source, points);
        if (m_grid)
            LastGrid() = {gridKey, m_grid};
    }
    cmsCloseProfile(source);
}

void ColourStep::SampleOnGrid(void *source, int points)
{
    void *toLinear = SrgbTransform(source, m_layout.colorMode, true);
    if (!toLinear)
        return;
    m_grid = std::make_shared<const ColourGrid>(
        m_colours, points, [&](const float *units, std::size_t count, float *out) {
            std::vector<float> colours(units, units + count * std::size_t(m_colours));
            ToLcmsUnits(colours.data(), count);
            cmsDoTransform(toLinear, colours.data(), out, cmsUInt32Number(count));
        });
    cmsDeleteTransform(toLinear);
}

// LittleCMS takes ink in percent, and Lab in its own units.
void ColourStep::ToLcmsUnits(float *colours, std::size_t pixels) const
{
    const float neutral = NeutralAb(m_layout.depth);
    const float abScale = AbScale(m_layout.depth);
    for (std::size_t i = 0; i < pixels * std::size_t(m_colours); ++i) {
        const int c = int(i % std::size_t(m_colours));
        if (m_layout.colorMode == ColorMode::Cmyk)
            colours[i] = (1 - colours[i]) * 100;
        else if (m_layout.colorMode == ColorMode::Lab)
            colours[i] = c == 0 ? colours[i] * 100 : (colours[i] - neutral) * abScale;
    }
}

// An sRGB profile, or one within a level of it, changes nothing worth its time.
bool ColourStep::IsNearlyIdentity() const
{
    std::vector<float> colours;
    for (int r = 0; r <= 255; r += 51) {
        for (int g = 0; g <= 255; g += 51) {
            for (int b = 0; b <= 255; b += 51) {
                const int values[] = {r, g, b};
                for (int c = 0; c < m_colours; ++c)
                    colours.push_back(float(values[c]) / 255.0f);
            }
        }
    }
    const std::size_t pixels = colours.size() / std::size_t(m_colours);
    std::vector<std::uint8_t> exact(3 * pixels);
    std::vector<std::uint8_t> plain(3 * pixels);
    cmsDoTransform(m_transform, colours.data(), exact.data(), cmsUInt32Number(pixels));
    ByFormula(colours.data(), pixels, plain.data());
    for (std::size_t i = 0; i < exact.size(); ++i) {
        if (std::abs(int(exact[i]) - int(plain[i])) > 1)
            return false;
    }
    return true;
}

bool ColourStep::IsIdentity() const
{
    return KeepsColours() && m_layout.colorMode == ColorMode::Rgb && m_layout.depth == 8;
}

bool ColourStep::KeepsColours() const
{
    return !m_transform && !m_grid && !m_blend && !m_whiteWhereClear &&
           m_layout.colorMode != ColorMode::Cmyk && m_layout.colorMode != ColorMode::Lab;
}

// What a pixel's result depends on: its colour, and its alpha where that changes the colour.
std::size_t ColourStep::KeyBytes() const
{
    const bool alpha = m_blend || m_whiteWhereClear;
    return std::size_t(m_layout.depth / 8) * std::size_t(alpha ? m_channels : m_colours);
}

const std::string &ColourStep::Detail() const
{
    return m_detail;
}

void ColourStep::ToSrgb8(const void *samples, std::size_t pixels, std::uint8_t *rgb) const
{
    const auto *bytes = static_cast<const unsigned char *>(samples);
    const std::size_t pixelBytes = std::size_t(m_channels) * std::size_t(m_layout.depth / 8);
    float colours[Chunk * 4];
    for (std::size_t done = 0; done < pixels; done += Chunk) {
        const std::size_t count = std::min(Chunk, pixels - done);
        const unsigned char *chunk = bytes + done * pixelBytes;
        if (m_grid && m_layout.depth == 8 && !m_blend && !m_whiteWhereClear) {
            m_grid->ToSrgb8(chunk, count, pixelBytes, rgb + 3 * done);
        } else if (m_grid) {
            Normalise(chunk, count, colours);
            m_grid->ToSrgb8(colours, count, rgb + 3 * done);
        } else if (m_transform) {
            Transform(chunk, count, rgb + 3 * done);
        } else {
            Normalise(chunk, count, colours);
            ByFormula(colours, count, rgb + 3 * done);
        }
    }
}

// Each pixel's colour channels as shares of their range, blended on white where asked: in the
// file's own values, as its writer would have blended it.
void ColourStep::Normalise(const void *samples, std::size_t pixels, float *colours) const
{
    const auto *pixel = static_cast<const unsigned char *>(samples);
    const std::size_t pixelBytes = std::size_t(m_channels) * std::size_t(m_layout.depth / 8);
    const float neutral = NeutralAb(m_layout.depth);
    for (std::size_t i = 0; i < pixels; ++i, pixel += pixelBytes) {
        float alpha = 1;
        if (m_blend || m_whiteWhereClear)
            alpha = UnitSample(pixel, m_colours, m_layout.depth);
        if (m_whiteWhereClear)
            alpha = alpha > 0 ? 1 : 0;
        for (int c = 0; c < m_colours; ++c) {
            const float white = m_layout.colorMode == ColorMode::Lab && c > 0 ? neutral : 1.0f;
            const float value = UnitSample(pixel, c, m_layout.depth);
            *colours++ = value * alpha + white * (1 - alpha);
        }
    }
}

// Pixels met before come from the cache; the others go through the transform together.
void ColourStep::Transform(const void *samples, std::size_t pixels, std::uint8_t *rgb) const
{
    const auto *bytes = static_cast<const unsigned char *>(samples);
    const std::size_t pixelBytes = std::size_t(m_channels) * std::size_t(m_layout.depth / 8);
    const std::size_t keyBytes = KeyBytes();
    unsigned char missed[Chunk * 4 * 5];
    std::size_t where[Chunk];
    std::size_t misses = 0;
    for (std::size_t i = 0; i < pixels; ++i) {
        const unsigned char *pixel = bytes + i * pixelBytes;
        if (m_cache && m_cache->Find(ColourCache::KeyOf(pixel, keyBytes), rgb + 3 * i))
            continue;
        std::copy_n(pixel, pixelBytes, missed + misses * pixelBytes);
        where[misses++] = i;
    }
    if (misses == 0)
        return;
    float colours[Chunk * 4];
    Normalise(missed, misses, colours);
    ToLcmsUnits(colours, misses);
    std::uint8_t results[Chunk * 3];
    cmsDoTransform(m_transform, colours, results, cmsUInt32Number(misses));
    for (std::size_t m = 0; m < misses; ++m) {
        std::copy_n(results + 3 * m, 3, rgb + 3 * where[m]);
        if (m_cache)
            m_cache->Put(ColourCache::KeyOf(missed + m * pixelBytes, keyBytes), results + 3 * m);
    }
}

// Without a profile: grey and RGB as sRGB, CMYK by the plain formula R = (1 - C)(1 - K).
void ColourStep::ByFormula(const float *colours, std::size_t pixels, std::uint8_t *rgb) const
{
    for (std::size_t i = 0; i < pixels; ++i, colours += m_colours, rgb += 3) {
        for (int c = 0; c < 3; ++c) {
            if (m_layout.colorMode == ColorMode::Cmyk)
                rgb[c] = ToByte(colours[c] * colours[3], m_layout.depth);
            else
                rgb[c] = ToByte(colours[m_colours == 1 ? 0 : c], m_layout.depth);
        }
    }
}
