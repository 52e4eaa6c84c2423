#pragma once

// The fixed header at the front of every PSD and PSB file, read before any decoder sees the
// file: a damaged or hostile file must not decide how much memory a decoder asks for.

#include "shared/result.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

// PSB is the large document format: wider sides, and some lengths in eight bytes.
enum class PsdVersion : std::uint16_t { Psd = 1, Psb = 2 };

// The PSD colour modes the code names. A header holds whatever mode its file gives, named or
// not (0 Bitmap, 8 Duotone, ...).
enum class ColorMode : std::uint16_t {
    Grayscale = 1,
    Indexed = 2,
    Rgb = 3,
    Cmyk = 4,
    Multichannel = 7,
    Lab = 9
};

// The colour channels of a mode: 1 grey, 4 CMYK, and 3 for RGB, Lab and the rest.
constexpr int ColourChannels(ColorMode mode)
{
    return mode == ColorMode::Grayscale ? 1 : mode == ColorMode::Cmyk ? 4 : 3;
}

// The bytes a sample of `depth` bits takes once decoded: a 1-bit sample takes a whole byte.
constexpr std::size_t BytesPerSample(int depth)
{
    return std::size_t(depth + 7) / 8;
}

// The header's length: the colour mode data follows it.
constexpr std::size_t PsdHeaderBytes = 26;

struct PsdHeader {
    PsdVersion version = PsdVersion::Psd;
    int channels = 0;
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    int depth = 0; // bits per channel: 1, 8, 16 or 32
    ColorMode colorMode = ColorMode::Rgb;
};

// The header, or why the file has none, as Unreadable: the system's reason where the file
// cannot be read; else a damaged file that is not a PSD or PSB file at all, is cut short
// inside its header, has a version of the format unknown here, or has no pixels.
Result<PsdHeader> ReadPsdHeader(const std::string &path);

// How the checks refuse a file: Unreadable, "damaged file: " and what is wrong with it.
Failure DamagedFile(const std::string &what);

// Whether the file begins with the four bytes that open every PSD and PSB file.
bool HasPsdSignature(const std::string &path);

// The bytes of one row of a channel as stored.
std::size_t RowBytesOf(const PsdHeader &header);

// Bytes of the decoded image: width x height x channels x bytes per sample. Saturates instead
// of wrapping.
std::uint64_t DecodedSizeEstimate(const PsdHeader &header);

// How refusals name a picture's size: "W x H pixels".
std::string PixelsText(const PsdHeader &header);

// a x b, or the largest number where that would wrap.
inline std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::numeric_limits<std::uint64_t>::max();
    return product;
}
