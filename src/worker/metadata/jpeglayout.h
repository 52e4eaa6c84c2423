#pragma once

#include <cstdint>
#include <optional>

// Where a JPEG file's own header segments lie, and what its frame says of the picture.
struct JpegLayout {
    std::uint64_t jfifAt = 0;   // offset of a JFIF APP0 segment right after SOI, or 0
    std::uint64_t insertAt = 2; // after SOI and that JFIF segment
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 0;
};

// From the open file's markers up to its frame header; nothing when it has none.
std::optional<JpegLayout> ReadJpegLayout(int fd);
