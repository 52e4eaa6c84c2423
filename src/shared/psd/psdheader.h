#pragma once

// The fixed header at the front of every PSD and PSB file, read before any decoder sees the
// file: a damaged or hostile file must not decide how much memory a decoder asks for.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

// The PSD colour modes that some decoder here takes as they are stored.
enum ColorMode { Grayscale = 1, Indexed = 2, Rgb = 3, Cmyk = 4, Lab = 9 };

// The colour channels of a mode: 1 grey, 4 CMYK, and 3 for RGB, Lab and the rest.
constexpr int ColourChannels(int colorMode)
{
    return colorMode == Grayscale ? 1 : colorMode == Cmyk ? 4 : 3;
}

// The header's length: the colour mode data follows it.
constexpr std::size_t PsdHeaderBytes = 26;

struct PsdHeader {
    int version = 0; // 1 PSD, 2 PSB (large document format)
    int channels = 0;
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    int depth = 0;     // bits per channel: 1, 8, 16 or 32
    int colorMode = 0; // 0 Bitmap, 1 Grayscale, 2 Indexed, 3 RGB, 4 CMYK, 7 Multichannel, ...
};

// nullopt when the file cannot be read or does not begin with a PSD or PSB header.
std::optional<PsdHeader> ReadPsdHeader(const std::string &path);

// The bytes of one row of a channel as stored.
std::size_t RowBytesOf(const PsdHeader &header);

// Bytes of the decoded image: width x height x channels x bytes per channel, where a 1-bit
// channel takes a whole byte once decoded. Saturates instead of wrapping.
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
