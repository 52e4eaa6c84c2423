#pragma once

// The one step between a decoder and the JPEG file that makes a picture's colours sRGB on a
// white page, whichever decoder read it and however much of it is in memory: it takes any
// number of pixels at a time.

#include "shared/psd/psdheader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Samples are interleaved per pixel: the colour channels of the mode, then alpha if any;
// native byte order; values exactly as the PSD stores them (8: uint8, 16: uint16,
// 32: float), e.g. PSD CMYK as stored (inverted: 255 = no ink), PSD Lab as stored.
struct SampleLayout {
    ColorMode colorMode = ColorMode::Rgb; // Grayscale, Rgb, Cmyk or Lab
    int depth = 8;                        // bits per sample: 8, 16 or 32
    bool hasAlpha = false;

    int Channels() const { return ColourChannels(colorMode) + (hasAlpha ? 1 : 0); }
    std::size_t PixelBytes() const { return std::size_t(Channels()) * BytesPerSample(depth); }
};

class ColourCache;
class ColourGrid;

// Not for two threads at once: its cache of results changes as it works.
class ColourStep
{
public:
    // iccProfile: the bytes of image resource 1039, or empty. blendOnWhite: the composite's
    // colour is unmatted and must be blended on white by its alpha here. whiteWhereClear: the
    // colour is matted already, but wholly clear pixels, which some writers leave black, are
    // to show white. pixels: how many the picture has, where known; a large picture goes
    // through the transform sampled on a grid, a small one pixel by pixel.
    ColourStep(const SampleLayout &layout, const std::string &iccProfile, bool blendOnWhite,
               bool whiteWhereClear = false, std::uint64_t pixels = 0);
    ~ColourStep();
    ColourStep(const ColourStep &) = delete;
    ColourStep &operator=(const ColourStep &) = delete;

    // `pixels` pixels of `samples` become 8-bit sRGB triplets in rgb (3 * pixels bytes).
    void ToSrgb8(const void *samples, std::size_t pixels, std::uint8_t *rgb) const;
    // No transform and no blend: a caller that already has 8-bit sRGB may skip the step.
    bool IsIdentity() const;
    // Neither a transform nor anything done by alpha: the step only cuts the samples to 8 bits
    // (16-bit ones by their high byte) and widens grey to RGB.
    bool KeepsColours() const;
    // "" or a short word for the result's detail, e.g. that an unusable profile was ignored.
    const std::string &Detail() const;
    // The colours reach sRGB through the document's own profile, or as Lab, which needs none.
    bool ThroughProfile() const { return m_throughProfile; }

private:
    void UseProfile(const std::string &iccProfile, std::uint64_t pixels);
    void SampleOnGrid(void *source, int points);
    void ToLcmsUnits(float *colours, std::size_t pixels) const;
    bool IsNearlyIdentity() const;
    std::size_t KeyBytes() const;
    void Normalise(const void *samples, std::size_t pixels, float *colours) const;
    void Transform(const void *samples, std::size_t pixels, std::uint8_t *rgb) const;
    void ByFormula(const float *colours, std::size_t pixels, std::uint8_t *rgb) const;

    SampleLayout m_layout;
    int m_colours;  // colour channels of the mode
    int m_channels; // with alpha
    bool m_blend;
    bool m_whiteWhereClear;
    bool m_throughProfile = false;
    std::string m_detail;
    void *m_transform = nullptr; // LittleCMS's, from the file's colours to 8-bit sRGB
    // Results already worked out: an exact transform takes far longer than a look-up, and
    // pictures repeat their colours.
    std::unique_ptr<ColourCache> m_cache;
    std::shared_ptr<const ColourGrid> m_grid;
};
