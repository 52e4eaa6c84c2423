#pragma once

#include "shared/psd/psdmetadata.h"
#include "worker/metadata/jpegsegment.h"
#include "worker/metadata/resolution.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// What goes into the JPEG file after its JFIF segment.
struct MetadataSegments {
    std::string segments; // EXIF, XMP, ICC and IPTC segments, in that order
    std::optional<Resolution> resolution;
    std::string leftOut; // e.g. "EXIF left out: damaged", or ""
};

// The document's metadata made true for the JPEG file. Never throws; a block no parser can
// read is left out and named in leftOut.
MetadataSegments SegmentsFor(const PsdMetadata &metadata, const PictureFacts &facts);

// The same from raw bytes, for fuzzing: the first byte picks the resource (resolution, IPTC,
// EXIF or XMP), the rest is its data, bounded as a document's would be.
MetadataSegments SegmentsFromBytes(const std::uint8_t *data, std::size_t size);
