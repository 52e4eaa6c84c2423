#include "worker/metadata/jpeglayout.h"

#include <cstring>
#include <unistd.h>

namespace
{

// More segments than this before the frame is no file our encoders wrote.
constexpr int MaxSegments = 256;

bool IsFrameHeader(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::uint32_t Get16(const unsigned char *bytes)
{
    return std::uint32_t(bytes[0]) << 8 | bytes[1];
}

} // namespace

std::optional<JpegLayout> ReadJpegLayout(int fd)
{
    JpegLayout layout;
    std::uint64_t at = 2;
    for (int i = 0; i < MaxSegments; ++i) {
        unsigned char head[16] = {};
        if (pread(fd, head, sizeof head, off_t(at)) < 10 || head[0] != 0xFF)
            return std::nullopt;
        const std::uint32_t length = Get16(head + 2);
        if (IsFrameHeader(head[1])) {
            layout.height = Get16(head + 5);
            layout.width = Get16(head + 7);
            layout.components = head[9];
            return layout;
        }
        if (at == 2 && head[1] == 0xE0 && length >= 16 && std::memcmp(head + 4, "JFIF", 5) == 0) {
            layout.jfifAt = at;
            layout.insertAt = at + 2 + length;
        }
        at += 2 + length;
    }
    return std::nullopt;
}
