#pragma once

// The fixed header at the front of every PSD and PSB file, read before any decoder sees the
// file: a damaged or hostile header must not decide how much memory a decoder asks for.

#include <cstdint>
#include <optional>
#include <string>

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

// Bytes of the decoded image: width x height x channels x bytes per channel, where a 1-bit
// channel takes a whole byte once decoded. Saturates instead of wrapping.
std::uint64_t DecodedSizeEstimate(const PsdHeader &header);

// More than 30,000 pixels a side (PSB: 300,000), or a decoded size of 2 GiB or more.
bool IsTooLargeToDecode(const PsdHeader &header);
