#include "streamshape.h"

#include <algorithm>
#include <iterator>

namespace
{

constexpr int Depths[] = {8, 16, 32, 1};
constexpr std::uint32_t MaxWidth = 2048;
constexpr std::uint32_t MaxHeight = 64;
constexpr int MaxChannels = 6;

std::string Little(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
    return out;
}

} // namespace

StreamShape StreamShape::Read(FuzzBytes &input)
{
    StreamShape shape;
    shape.header.version = input.Number(1) % 2 == 0 ? PsdVersion::Psd : PsdVersion::Psb;
    shape.header.width = 1 + std::uint32_t(input.Number(2) % MaxWidth);
    shape.header.height = 1 + std::uint32_t(input.Number(1) % MaxHeight);
    shape.header.channels = 1 + int(input.Number(1) % MaxChannels);
    shape.header.depth = input.Pick(Depths);
    shape.compression = Compression(input.Number(1) % 4);
    shape.dataOffset = input.Number(4);
    return shape;
}

std::string StreamShape::Bytes() const
{
    const auto depth = std::distance(std::begin(Depths), std::ranges::find(Depths, header.depth));
    return Little(header.version == PsdVersion::Psd ? 0 : 1, 1) + Little(header.width - 1, 2) +
           Little(header.height - 1, 1) + Little(std::uint64_t(header.channels - 1), 1) +
           Little(std::uint64_t(depth), 1) + Little(std::uint64_t(compression), 1) +
           Little(dataOffset, 4);
}
