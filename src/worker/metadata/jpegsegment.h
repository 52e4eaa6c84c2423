#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a JPEG file should say about its own picture, where the metadata speaks of it.
struct PictureFacts {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int components = 3;      // 1 for grey
    bool srgbTagged = false; // carries our sRGB profile
};

// One kind of metadata as JPEG segments, or a word on why it was left out ("damaged", "too
// large"); both empty when the document had none.
struct SegmentsOrReason {
    std::string segments;
    std::string leftOut;
};

// A segment's two length bytes count themselves, so this much payload fits one.
constexpr std::size_t MaxSegmentPayload = 65533;

constexpr std::uint8_t App1 = 0xE1;
constexpr std::uint8_t App2 = 0xE2;
constexpr std::uint8_t App13 = 0xED;

// 0xFF, the marker, the length, the payload (at most MaxSegmentPayload bytes).
std::string JpegSegment(std::uint8_t marker, std::string_view payload);
