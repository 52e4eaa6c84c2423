#include "worker/metadata/metadatawriter.h"

#include "worker/metadata/jpeglayout.h"
#include "worker/metadata/metadatasegments.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr std::size_t CopyChunk = std::size_t(1) << 20;

bool WriteAllAt(int fd, const void *bytes, std::size_t count, std::uint64_t at)
{
    const auto *from = static_cast<const char *>(bytes);
    while (count > 0) {
        const ssize_t written = pwrite(fd, from, count, off_t(at));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        from += written;
        count -= std::size_t(written);
        at += std::uint64_t(written);
    }
    return true;
}

// Moves everything from `at` on further by the size of bytes, from the end backwards, and
// writes bytes into the gap. The file is our temporary one: cut short, it is never moved into
// place.
bool InsertAt(int fd, std::uint64_t at, const std::string &bytes)
{
    struct stat status = {};
    if (fstat(fd, &status) != 0)
        return false;
    const auto size = std::uint64_t(status.st_size);
    std::vector<char> chunk(
        std::size_t(std::min<std::uint64_t>(CopyChunk, size - std::min(size, at))));
    for (std::uint64_t end = size; end > at;) {
        const std::size_t count = std::size_t(std::min<std::uint64_t>(chunk.size(), end - at));
        end -= count;
        if (pread(fd, chunk.data(), count, off_t(end)) != ssize_t(count) ||
            !WriteAllAt(fd, chunk.data(), count, end + bytes.size()))
            return false;
    }
    return WriteAllAt(fd, bytes.data(), bytes.size(), at);
}

// JFIF keeps the unit at byte 11 of its segment, the two densities after it.
std::string JfifDensity(const Resolution &resolution)
{
    return {char(resolution.unit), char(resolution.x >> 8), char(resolution.x & 0xFF),
            char(resolution.y >> 8), char(resolution.y & 0xFF)};
}

std::string JfifSegment(const Resolution &resolution)
{
    return std::string("\xFF\xE0\0\x10JFIF\0\1\1", 11) + JfifDensity(resolution) +
           std::string(2, '\0');
}

Failure CannotRewrite(const std::string &why)
{
    return {wire::Status::Unwritable, why};
}

Result<std::string> Rewrite(int fd, const PsdMetadata &metadata, bool srgbTagged)
{
    const std::optional<JpegLayout> layout = ReadJpegLayout(fd);
    if (!layout)
        return CannotRewrite("no frame in the JPEG file");
    const PictureFacts facts{layout->width, layout->height, layout->components,
                             srgbTagged && layout->components == 3};
    MetadataSegments made = SegmentsFor(metadata, facts);
    if (made.resolution && layout->jfifAt != 0) {
        const std::string density = JfifDensity(*made.resolution);
        if (!WriteAllAt(fd, density.data(), density.size(), layout->jfifAt + 11))
            return CannotRewrite(std::strerror(errno));
    } else if (made.resolution) {
        made.segments.insert(0, JfifSegment(*made.resolution));
    }
    if (!made.segments.empty() && !InsertAt(fd, layout->insertAt, made.segments))
        return CannotRewrite(std::strerror(errno));
    return made.leftOut;
}

} // namespace

Result<std::string> AddMetadata(const std::string &jpegPath, const PsdMetadata &metadata,
                                bool srgbTagged)
{
    if (metadata.IsEmpty() && !srgbTagged)
        return std::string();
    const int fd = open(jpegPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return CannotRewrite(std::strerror(errno));
    Result<std::string> rewritten = Rewrite(fd, metadata, srgbTagged);
    if (close(fd) != 0 && rewritten)
        return CannotRewrite(std::strerror(errno));
    return rewritten;
}
