// The document's resolution, IPTC, EXIF or XMP block, of any bytes, made into the JPEG file's
// segments.
#include "worker/metadata/metadatasegments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    SegmentsFromBytes(data, size);
    return 0;
}
