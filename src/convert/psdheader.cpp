#include "psdheader.h"

#include <fstream>
#include <limits>

namespace
{

constexpr std::size_t HeaderBytes = 26;
constexpr std::uint32_t MaxSidePsd = 30'000;
constexpr std::uint32_t MaxSidePsb = 300'000;
constexpr std::uint64_t MaxDecodedSize = std::uint64_t(2) << 30;

std::uint32_t BigEndian(const unsigned char *bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b)
{
    std::uint64_t product = 0;
    if (__builtin_mul_overflow(a, b, &product))
        return std::numeric_limits<std::uint64_t>::max();
    return product;
}

} // namespace

std::optional<PsdHeader> ReadPsdHeader(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char bytes[HeaderBytes];
    if (!file.read(reinterpret_cast<char *>(bytes), HeaderBytes))
        return std::nullopt;
    if (BigEndian(bytes, 4) != 0x38425053) // "8BPS"
        return std::nullopt;
    PsdHeader header;
    header.version = int(BigEndian(bytes + 4, 2));
    if (header.version != 1 && header.version != 2)
        return std::nullopt;
    // Bytes 6 to 11 are reserved.
    header.channels = int(BigEndian(bytes + 12, 2));
    header.height = BigEndian(bytes + 14, 4);
    header.width = BigEndian(bytes + 18, 4);
    header.depth = int(BigEndian(bytes + 22, 2));
    header.colorMode = int(BigEndian(bytes + 24, 2));
    return header;
}

std::uint64_t DecodedSizeEstimate(const PsdHeader &header)
{
    const std::uint64_t bytesPerChannel = (std::uint64_t(header.depth) + 7) / 8;
    std::uint64_t size = SaturatingProduct(header.width, header.height);
    size = SaturatingProduct(size, std::uint64_t(header.channels));
    return SaturatingProduct(size, bytesPerChannel);
}

bool IsTooLargeToDecode(const PsdHeader &header)
{
    const std::uint32_t maxSide = header.version == 2 ? MaxSidePsb : MaxSidePsd;
    return header.width > maxSide || header.height > maxSide ||
           DecodedSizeEstimate(header) >= MaxDecodedSize;
}
