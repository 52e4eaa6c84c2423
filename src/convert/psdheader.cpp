#include "psdheader.h"

#include "xmpwriter.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr std::size_t HeaderBytes = 26;
constexpr std::uint16_t IccProfileResource = 1039;
constexpr std::uint16_t VersionInfoResource = 1057;
constexpr std::uint16_t XmpResource = 1060;

std::uint64_t BigEndian(const unsigned char *bytes, int count)
{
    std::uint64_t value = 0;
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

// Reads big-endian fields in order and never past the end of the file, through a window of
// the file so that small fields and short skips cost no system call each. After the first
// failure every read yields 0 and Failed() stays true.
class SectionReader
{
public:
    explicit SectionReader(const std::string &path)
        : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_window(64 * 1024)
    {
        struct stat status = {};
        m_failed = m_fd < 0 || fstat(m_fd, &status) != 0;
        m_size = m_failed ? 0 : std::uint64_t(status.st_size);
    }
    ~SectionReader()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    SectionReader(const SectionReader &) = delete;
    SectionReader &operator=(const SectionReader &) = delete;

    bool Failed() const { return m_failed; }
    std::uint64_t Position() const { return m_position; }
    std::uint64_t Remaining() const { return m_size - m_position; }

    bool Seek(std::uint64_t position)
    {
        m_failed = m_failed || position > m_size;
        if (!m_failed)
            m_position = position;
        return !m_failed;
    }
    bool Skip(std::uint64_t count)
    {
        return Seek(count > Remaining() ? m_size + 1 : m_position + count);
    }

    std::uint64_t Number(int bytes)
    {
        unsigned char buffer[8] = {};
        return Read(buffer, std::size_t(bytes)) ? BigEndian(buffer, bytes) : 0;
    }
    // A section length: four bytes, or eight in a PSB where the format says so.
    std::uint64_t Length(bool wide) { return Number(wide ? 8 : 4); }

    bool Read(unsigned char *buffer, std::size_t count)
    {
        m_failed = m_failed || count > Remaining();
        while (!m_failed && count > 0) {
            if (m_position < m_windowStart || m_position >= m_windowStart + m_windowLength)
                Fill();
            const std::size_t offset = std::size_t(m_position - m_windowStart);
            const std::size_t part = std::min(count, m_windowLength - offset);
            std::copy_n(m_window.data() + offset, part, buffer);
            buffer += part;
            count -= part;
            m_position += part;
        }
        return !m_failed;
    }

private:
    void Fill()
    {
        const ssize_t got = pread(m_fd, m_window.data(), m_window.size(), off_t(m_position));
        m_failed = got <= 0;
        m_windowStart = m_position;
        m_windowLength = m_failed ? 0 : std::size_t(got);
    }

    int m_fd;
    std::vector<unsigned char> m_window;
    std::uint64_t m_windowStart = 0;
    std::size_t m_windowLength = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    bool m_failed = false;
};

// Resource 1057: a version, whether the merged image is real, then the writer's name in UTF-16.
void ReadVersionInfo(SectionReader &reader, std::uint64_t size, PsdContents &contents)
{
    if (size < 9)
        return;
    reader.Skip(4);
    contents.hasRealComposite = reader.Number(1) != 0;
    const std::uint64_t units = reader.Number(4);
    if (units > (size - 9) / 2)
        return;
    // Enough to tell one writer from another.
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(units, 64); ++i) {
        const auto unit = std::uint16_t(reader.Number(2));
        contents.writer += unit < 0x80 ? char(unit) : '?';
    }
}

// Each resource: a signature, an id, a name padded to even length, a size, data padded to even
// length. All of it must lie within the section, except that the last pad byte may be missing.
bool WalkResources(SectionReader &reader, std::uint64_t end, PsdContents &contents)
{
    std::string xmp;
    while (reader.Position() < end) {
        unsigned char signature[4] = {};
        if (end - reader.Position() < 12 || !reader.Read(signature, 4))
            return false;
        const auto id = std::uint16_t(reader.Number(2));
        const std::uint64_t nameLength = reader.Number(1);
        reader.Skip(nameLength + (nameLength % 2 == 0 ? 1 : 0));
        const std::uint64_t size = reader.Number(4);
        const std::uint64_t dataStart = reader.Position();
        if (reader.Failed() || dataStart > end || size > end - dataStart)
            return false;
        const bool ours = BigEndian(signature, 4) == 0x3842494D; // "8BIM"
        if (ours && id == VersionInfoResource)
            ReadVersionInfo(reader, size, contents);
        if (ours && (id == IccProfileResource || id == XmpResource)) {
            std::string &data = id == IccProfileResource ? contents.iccProfile : xmp;
            data.resize(std::size_t(size));
            reader.Read(reinterpret_cast<unsigned char *>(data.data()), data.size());
        }
        reader.Seek(std::min(end, dataStart + size + size % 2));
    }
    if (contents.writer.empty())
        contents.writer = CreatorToolOf(xmp);
    return !reader.Failed();
}

// Of the layer and mask section only the sign of the layer count matters here.
bool ReadLayerSection(SectionReader &reader, const PsdHeader &header, PsdContents &contents)
{
    const bool psb = header.version == 2;
    const std::uint64_t length = reader.Length(psb);
    if (reader.Failed() || length > reader.Remaining())
        return false;
    const std::uint64_t end = reader.Position() + length;
    if (length >= (psb ? 8u : 4u)) {
        const std::uint64_t infoLength = reader.Length(psb);
        if (infoLength > end - reader.Position())
            return false;
        if (infoLength >= 2)
            contents.mergedTransparency = std::int16_t(reader.Number(2)) < 0;
    }
    return reader.Seek(end);
}

// RLE data starts with the byte count of every row of every channel. Adds up the rows of the
// colour channels, which come first, into colourBytes.
bool RleDataComplete(SectionReader &reader, const PsdHeader &header, std::uint64_t colourRows,
                     std::uint64_t &colourBytes)
{
    const int countBytes = header.version == 2 ? 4 : 2;
    const std::uint64_t rows = std::uint64_t(header.channels) * header.height;
    if (rows > reader.Remaining() / std::uint64_t(countBytes))
        return false;
    std::uint64_t total = 0;
    std::vector<unsigned char> chunk(std::size_t(countBytes) * 16384);
    for (std::uint64_t done = 0; done < rows;) {
        const std::uint64_t batch = std::min<std::uint64_t>(rows - done, 16384);
        if (!reader.Read(chunk.data(), std::size_t(batch) * std::size_t(countBytes)))
            return false;
        for (std::uint64_t i = 0; i < batch; ++i, ++done) {
            if (done == colourRows)
                colourBytes = total;
            total += BigEndian(chunk.data() + i * std::uint64_t(countBytes), countBytes);
        }
    }
    if (colourRows >= rows)
        colourBytes = total;
    return total <= reader.Remaining();
}

// Whether count bytes of data, raw or PackBits, hold nothing but 0xFF.
bool AllWhite(SectionReader &reader, std::uint64_t count, bool packed)
{
    std::vector<unsigned char> chunk(65536);
    std::uint64_t literal = 0; // bytes of a literal stretch still to come
    bool repeated = false;     // the next byte is one repeated
    while (count > 0) {
        const auto size = std::size_t(std::min<std::uint64_t>(count, chunk.size()));
        if (!reader.Read(chunk.data(), size))
            return false;
        count -= size;
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char byte = chunk[i];
            if (packed && literal == 0 && !repeated) {
                literal = byte < 128 ? byte + 1u : 0;
                repeated = byte > 128; // 128 itself does nothing
                continue;
            }
            if (byte != 0xFF)
                return false;
            if (literal > 0)
                --literal;
            else
                repeated = false;
        }
    }
    return true;
}

// The colour channels of the modes where white is stored as all ones: grey, RGB, and CMYK
// (stored as ink left out), at 8 or 16 bits; none for the others.
std::uint64_t ChannelsWhereWhiteIsFF(const PsdHeader &header)
{
    if (header.depth != 8 && header.depth != 16)
        return 0;
    const std::uint64_t channels = header.colorMode == 1   ? 1
                                   : header.colorMode == 3 ? 3
                                   : header.colorMode == 4 ? 4
                                                           : 0;
    return std::min(channels, std::uint64_t(header.channels));
}

std::string CheckImageData(SectionReader &reader, const PsdHeader &header, PsdContents &contents)
{
    contents.compression = int(reader.Number(2));
    if (reader.Failed())
        return "no image data";
    const std::uint64_t whiteChannels = ChannelsWhereWhiteIsFF(header);
    const std::uint64_t channelBytes =
        SaturatingProduct((std::uint64_t(header.width) * header.depth + 7) / 8, header.height);
    std::uint64_t colourBytes = SaturatingProduct(channelBytes, whiteChannels);
    if (contents.compression == 0) {
        if (SaturatingProduct(channelBytes, std::uint64_t(header.channels)) > reader.Remaining())
            return "image data cut short";
    } else if (contents.compression == 1) {
        if (!RleDataComplete(reader, header, whiteChannels * header.height, colourBytes))
            return "image data cut short";
    } else if (contents.compression > 3) {
        return "unknown image data compression";
    } else if (reader.Remaining() == 0) {
        return "image data cut short";
    }
    // A stand-in is plain white; where that cannot be told, it is taken to be one.
    if (!contents.hasRealComposite)
        contents.blankStandIn = whiteChannels == 0 || contents.compression > 1 ||
                                AllWhite(reader, colourBytes, contents.compression == 1);
    return "";
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
    header.height = std::uint32_t(BigEndian(bytes + 14, 4));
    header.width = std::uint32_t(BigEndian(bytes + 18, 4));
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

PsdContents ReadPsdContents(const std::string &path, const PsdHeader &header)
{
    PsdContents contents;
    SectionReader reader(path);
    if (!reader.Seek(HeaderBytes) || !reader.Skip(reader.Number(4))) {
        contents.damage = "colour mode data cut short";
        return contents;
    }
    const std::uint64_t resourcesLength = reader.Number(4);
    if (reader.Failed() || resourcesLength > reader.Remaining() ||
        !WalkResources(reader, reader.Position() + resourcesLength, contents)) {
        contents.damage = "damaged image resources";
        return contents;
    }
    if (!ReadLayerSection(reader, header, contents)) {
        contents.damage = "damaged layer section";
        return contents;
    }
    contents.damage = CheckImageData(reader, header, contents);
    return contents;
}
