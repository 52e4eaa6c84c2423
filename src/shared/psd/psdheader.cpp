#include "shared/psd/psdheader.h"

#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace
{

constexpr char Signature[] = "8BPS";
constexpr std::size_t SignatureBytes = 4;

// Up to `count` bytes from the front of the file, fewer where it is shorter; nullopt, with
// errno set, where it cannot be read.
std::optional<std::string> FrontOf(const std::string &path, std::size_t count)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes(count, '\0');
    const ssize_t got = pread(fd, bytes.data(), count, 0);
    const int error = errno;
    close(fd);
    errno = error;
    if (got < 0)
        return std::nullopt;
    bytes.resize(std::size_t(got));
    return bytes;
}

} // namespace

Result<PsdHeader> ReadPsdHeader(const std::string &path)
{
    const std::optional<std::string> read = FrontOf(path, PsdHeaderBytes);
    if (!read)
        return Failure{wire::Status::Unreadable, std::strerror(errno)};
    const std::string &front = *read;
    const auto *bytes = reinterpret_cast<const unsigned char *>(front.data());
    if (front.compare(0, SignatureBytes, Signature, std::min(front.size(), SignatureBytes)) != 0)
        return DamagedFile("not a PSD or PSB header");
    if (front.size() < PsdHeaderBytes)
        return DamagedFile("cut short inside the header");
    const auto version = PsdVersion(BigEndian(bytes + 4, 2));
    if (version != PsdVersion::Psd && version != PsdVersion::Psb)
        return DamagedFile("unknown format version " + std::to_string(int(version)));
    PsdHeader header;
    header.version = version;
    // Bytes 6 to 11 are reserved.
    header.channels = int(BigEndian(bytes + 12, 2));
    header.height = std::uint32_t(BigEndian(bytes + 14, 4));
    header.width = std::uint32_t(BigEndian(bytes + 18, 4));
    header.depth = int(BigEndian(bytes + 22, 2));
    header.colorMode = ColorMode(BigEndian(bytes + 24, 2));
    // Nothing to convert, and no row size for the reader to divide by.
    if (header.width == 0 || header.height == 0)
        return DamagedFile(PixelsText(header));
    return header;
}

Failure DamagedFile(const std::string &what)
{
    return {wire::Status::Unreadable, "damaged file: " + what};
}

bool HasPsdSignature(const std::string &path)
{
    return FrontOf(path, SignatureBytes) == std::string(Signature);
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
