#include "shared/psd/psdcontents.h"

#include "shared/psd/creatortool.h"
#include "shared/psd/packbits.h"
#include "shared/psd/psdmetadata.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <vector>

namespace
{

constexpr std::uint16_t IccProfileResource = 1039;
constexpr std::uint16_t VersionInfoResource = 1057;

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
        if (ours && id == IccProfileResource) {
            contents.iccProfile.resize(std::size_t(size));
            reader.Read(reinterpret_cast<unsigned char *>(contents.iccProfile.data()),
                        contents.iccProfile.size());
        } else if (ours) {
            TakeMetadataResource(reader, id, size, contents.metadata);
        }
        reader.Seek(std::min(end, dataStart + size + size % 2));
    }
    if (contents.writer.empty())
        contents.writer = CreatorToolOf(contents.metadata.xmp.data);
    return !reader.Failed();
}

// Of the layer and mask section only the sign of the layer count matters here.
bool ReadLayerSection(SectionReader &reader, const PsdHeader &header, PsdContents &contents)
{
    const bool psb = header.version == PsdVersion::Psb;
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

// DevIL reads a channel's RLE rows as one stream and writes past its buffer where a row runs
// over, so each must unpack to exactly its bytes. The result: whether the rows of the first
// `whiteChannels` channels are all white.
Result<bool> CheckRleRows(const std::string &path, const PsdHeader &header,
                          std::uint64_t dataOffset, std::uint64_t whiteChannels)
{
    PackedRows packed(path, header, dataOffset, 0);
    std::vector<unsigned char> row(RowBytesOf(header));
    bool white = true;
    for (std::uint64_t i = 0; i < std::uint64_t(header.channels) * header.height; ++i) {
        const bool look = white && i < whiteChannels * header.height;
        if (!packed.Next(look ? row.data() : nullptr))
            return DamagedFile(packed.CutShort() ? "image data cut short"
                                                 : "a packed row does not fill its width exactly");
        if (look)
            white = std::all_of(row.cbegin(), row.cend(), [](auto b) { return b == 0xFF; });
    }
    return white;
}

// Whether count bytes of raw data hold nothing but 0xFF.
bool AllWhite(SectionReader &reader, std::uint64_t count)
{
    std::vector<unsigned char> chunk(65536);
    while (count > 0) {
        const auto size = std::size_t(std::min<std::uint64_t>(count, chunk.size()));
        if (!reader.Read(chunk.data(), size) ||
            !std::all_of(chunk.cbegin(), chunk.cbegin() + std::ptrdiff_t(size),
                         [](auto b) { return b == 0xFF; }))
            return false;
        count -= size;
    }
    return true;
}

// The colour channels of the modes where white is stored as all ones: grey, RGB, and CMYK
// (stored as ink left out), at 8 or 16 bits; none for the others.
std::uint64_t ChannelsWhereWhiteIsFF(const PsdHeader &header)
{
    if (header.depth != 8 && header.depth != 16)
        return 0;
    const ColorMode mode = header.colorMode;
    if (mode != ColorMode::Grayscale && mode != ColorMode::Rgb && mode != ColorMode::Cmyk)
        return 0;
    return std::min(std::uint64_t(ColourChannels(mode)), std::uint64_t(header.channels));
}

Result<> CheckImageData(SectionReader &reader, const std::string &path, const PsdHeader &header,
                        PsdContents &contents)
{
    const std::uint64_t compression = reader.Number(2);
    if (reader.Failed())
        return DamagedFile("no image data");
    if (compression > std::uint64_t(Compression::ZipPredicted))
        return DamagedFile("unknown image data compression");
    contents.compression = Compression(compression);
    contents.imageDataOffset = reader.Position();
    // A stand-in is plain white; where that cannot be told, it is taken to be one.
    const std::uint64_t whiteChannels =
        contents.hasRealComposite ? 0 : ChannelsWhereWhiteIsFF(header);
    bool white = whiteChannels == 0 || IsZip(contents.compression);
    const std::uint64_t channelBytes = SaturatingProduct(RowBytesOf(header), header.height);
    if (contents.compression == Compression::Raw) {
        if (SaturatingProduct(channelBytes, std::uint64_t(header.channels)) > reader.Remaining())
            return DamagedFile("image data cut short");
        white = white || AllWhite(reader, SaturatingProduct(channelBytes, whiteChannels));
    } else if (contents.compression == Compression::Rle) {
        const Result<bool> rows =
            CheckRleRows(path, header, contents.imageDataOffset, whiteChannels);
        if (!rows)
            return rows.Why();
        white = *rows;
    } else if (reader.Remaining() == 0) {
        return DamagedFile("image data cut short");
    }
    contents.blankStandIn = !contents.hasRealComposite && white;
    return Done{};
}

} // namespace

Result<PsdContents> ReadPsdContents(const std::string &path, const PsdHeader &header)
{
    PsdContents contents;
    SectionReader reader(path);
    if (!reader.Seek(PsdHeaderBytes) || !reader.Skip(reader.Number(4)))
        return DamagedFile("colour mode data cut short");
    const std::uint64_t resourcesLength = reader.Number(4);
    if (reader.Failed() || resourcesLength > reader.Remaining() ||
        !WalkResources(reader, reader.Position() + resourcesLength, contents))
        return DamagedFile("damaged image resources");
    if (!ReadLayerSection(reader, header, contents))
        return DamagedFile("damaged layer section");
    const Result<> data = CheckImageData(reader, path, header, contents);
    if (!data)
        return data.Why();
    return contents;
}
