#include "worker/metadata/jpegsegment.h"

std::string JpegSegment(std::uint8_t marker, std::string_view payload)
{
    const std::size_t length = payload.size() + 2;
    std::string segment{char(0xFF), char(marker), char(length >> 8), char(length & 0xFF)};
    segment += payload;
    return segment;
}
