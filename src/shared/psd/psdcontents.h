#pragma once

// What the sections after the header say about the merged image, walked before any decoder
// sees the file, so that a damaged file cannot lead a decoder's parser past its buffers.

#include "shared/psd/psdheader.h"
#include "shared/psd/psdmetadata.h"

#include <cstdint>
#include <string>

// How the merged image data is stored: raw, PackBits rows, or one zlib stream, of the samples
// themselves or of their differences along each row.
enum class Compression : std::uint16_t { Raw = 0, Rle = 1, Zip = 2, ZipPredicted = 3 };

constexpr bool IsZip(Compression compression)
{
    return compression == Compression::Zip || compression == Compression::ZipPredicted;
}

// What the colour mode data, image resources and layer sections say about the merged image.
struct PsdContents {
    // Resource 1057: false when the writer calls the merged image a stand-in.
    bool hasRealComposite = true;
    // Such a stand-in is indeed blank (plain white), or its mode leaves no way to tell: some
    // writers call a real picture a stand-in.
    bool blankStandIn = false;
    // The writer resource 1057 names (non-ASCII as '?'), else the creator tool that the XMP
    // metadata (resource 1060) names, or "".
    std::string writer;
    // Resource 1039, the embedded ICC profile, as stored; empty when there is none.
    std::string iccProfile;
    // Resolution, IPTC, EXIF and XMP, for the JPEG file.
    PsdMetadata metadata;
    // A negative layer count: the first channel after the colour ones is the merged image's
    // transparency.
    bool mergedTransparency = false;
    Compression compression = Compression::Raw;
    // Where the merged image data begins, after its compression field.
    std::uint64_t imageDataOffset = 0;
};

// Walks every section up to the merged image data and checks that data is all there, and that
// every packed row of it unpacks to exactly its width; a damaged file where any section runs
// past the file or its own bounds.
Result<PsdContents> ReadPsdContents(const std::string &path, const PsdHeader &header);
