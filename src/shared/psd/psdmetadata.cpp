#include "shared/psd/psdmetadata.h"

#include "shared/psd/sectionreader.h"

namespace
{

// Photoshop keeps megabytes of document history in XMP; EXIF and IPTC fit one JPEG segment
// each, with room for what a parser drops on the way.
constexpr std::uint64_t MaxXmpBytes = std::uint64_t(64) << 20;
constexpr std::uint64_t MaxBlockBytes = std::uint64_t(1) << 20;

ResourceBlock *BlockFor(std::uint16_t id, PsdMetadata &metadata)
{
    switch (id) {
    case 1005:
        return &metadata.resolution;
    case 1028:
        return &metadata.iptc;
    case 1058:
        return &metadata.exif;
    case 1060:
        return &metadata.xmp;
    default:
        return nullptr;
    }
}

} // namespace

bool TakeMetadataResource(SectionReader &reader, std::uint16_t id, std::uint64_t size,
                          PsdMetadata &metadata)
{
    ResourceBlock *block = BlockFor(id, metadata);
    if (!block)
        return false;
    if (size > (id == 1060 ? MaxXmpBytes : MaxBlockBytes)) {
        block->data.clear();
        block->tooLarge = true;
        return true;
    }
    block->tooLarge = false;
    block->data.resize(std::size_t(size));
    reader.Read(reinterpret_cast<unsigned char *>(block->data.data()), block->data.size());
    return true;
}
