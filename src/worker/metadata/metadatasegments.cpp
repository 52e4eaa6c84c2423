#include "worker/metadata/metadatasegments.h"

#include "worker/metadata/exifsegment.h"
#include "worker/metadata/iptcsegment.h"
#include "worker/metadata/srgbprofile.h"
#include "worker/metadata/xmpsegments.h"

#include <functional>

namespace
{

constexpr std::string_view IccHeader{"ICC_PROFILE\0\1\1", 14};
constexpr std::size_t MaxFuzzedBlock = std::size_t(1) << 20;

// Each kind on its own: damage in one leaves the others in.
void Append(MetadataSegments &out, const char *kind, const ResourceBlock &block,
            const std::function<SegmentsOrReason()> &make)
{
    const SegmentsOrReason made = block.tooLarge       ? SegmentsOrReason{{}, "too large"}
                                  : block.data.empty() ? SegmentsOrReason{}
                                                       : make();
    out.segments += made.segments;
    if (made.leftOut.empty())
        return;
    if (!out.leftOut.empty())
        out.leftOut += "; ";
    out.leftOut += std::string(kind) + " left out: " + made.leftOut;
}

} // namespace

MetadataSegments SegmentsFor(const PsdMetadata &metadata, const PictureFacts &facts)
{
    MetadataSegments out;
    out.resolution = ResolutionFrom(metadata.resolution.data);
    // EXIF must state one; 72 per inch is what a document without one is taken to have.
    if (!out.resolution && !metadata.exif.data.empty())
        out.resolution = Resolution{72, 72, Resolution::Unit::Inch};
    const std::optional<Resolution> &resolution = out.resolution;
    Append(out, "EXIF", metadata.exif,
           [&] { return ExifSegment(metadata.exif.data, facts, resolution); });
    Append(out, "XMP", metadata.xmp,
           [&] { return XmpSegments(metadata.xmp.data, facts, resolution); });
    if (facts.srgbTagged)
        out.segments += JpegSegment(App2, std::string(IccHeader) + SrgbProfile());
    Append(out, "IPTC", metadata.iptc, [&] { return IptcSegment(metadata.iptc.data); });
    return out;
}

MetadataSegments SegmentsFromBytes(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size > MaxFuzzedBlock)
        return {};
    PsdMetadata metadata;
    ResourceBlock *blocks[] = {&metadata.resolution, &metadata.iptc, &metadata.exif, &metadata.xmp};
    blocks[data[0] % 4]->data.assign(reinterpret_cast<const char *>(data + 1), size - 1);
    return SegmentsFor(metadata, {640, 480, 3, data[0] >= 4});
}
