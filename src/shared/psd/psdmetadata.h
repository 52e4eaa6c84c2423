#pragma once

// The image resources that travel into the JPEG file, as the document stores them. Each is
// bounded here, before any parser sees it, so that a document cannot make the worker hold
// more than a few tens of megabytes of them.

#include <cstdint>
#include <string>

class SectionReader;

struct ResourceBlock {
    std::string data;      // empty when the document has none, or one past its bound
    bool tooLarge = false; // the document has one, larger than we take
};

struct PsdMetadata {
    ResourceBlock resolution; // 1005, ResolutionInfo
    ResourceBlock iptc;       // 1028, IPTC-NAA records
    ResourceBlock exif;       // 1058, a TIFF stream
    ResourceBlock xmp;        // 1060, an XMP packet

    bool IsEmpty() const
    {
        return resolution.data.empty() && iptc.data.empty() && exif.data.empty() &&
               xmp.data.empty() && !iptc.tooLarge && !exif.tooLarge && !xmp.tooLarge;
    }
};

// Takes the data of resource `id` (`size` bytes at the reader's position) into metadata when it
// is one of those above; false when it is none of them, and the reader has not moved.
bool TakeMetadataResource(SectionReader &reader, std::uint16_t id, std::uint64_t size,
                          PsdMetadata &metadata);
