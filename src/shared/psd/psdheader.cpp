#include "shared/psd/psdheader.h"

#include "shared/psd/sectionreader.h"

#include <fstream>

std::optional<PsdHeader> ReadPsdHeader(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char bytes[PsdHeaderBytes];
    if (!file.read(reinterpret_cast<char *>(bytes), PsdHeaderBytes))
        return std::nullopt;
    if (BigEndian(bytes, 4) != 0x38425053) // "8BPS"
        return std::nullopt;
    const auto version = PsdVersion(BigEndian(bytes + 4, 2));
    if (version != PsdVersion::Psd && version != PsdVersion::Psb)
        return std::nullopt;
    PsdHeader header;
    header.version = version;
    // Bytes 6 to 11 are reserved.
    header.channels = int(BigEndian(bytes + 12, 2));
    header.height = std::uint32_t(BigEndian(bytes + 14, 4));
    header.width = std::uint32_t(BigEndian(bytes + 18, 4));
    header.depth = int(BigEndian(bytes + 22, 2));
    header.colorMode = ColorMode(BigEndian(bytes + 24, 2));
    return header;
}

std::size_t RowBytesOf(const PsdHeader &header)
{
    return std::size_t((std::uint64_t(header.width) * header.depth + 7) / 8);
}

std::uint64_t DecodedSizeEstimate(const PsdHeader &header)
{
    std::uint64_t size = SaturatingProduct(header.width, header.height);
    size = SaturatingProduct(size, std::uint64_t(header.channels));
    return SaturatingProduct(size, BytesPerSample(header.depth));
}

std::string PixelsText(const PsdHeader &header)
{
    return std::to_string(header.width) + " x " + std::to_string(header.height) + " pixels";
}
