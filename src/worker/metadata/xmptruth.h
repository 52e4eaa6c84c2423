#pragma once

#include "worker/metadata/jpegsegment.h"
#include "worker/metadata/resolution.h"

#include <optional>

namespace Exiv2
{
class XmpData;
}

// Leaves out of xmp what speaks of the document rather than the JPEG file (its ancestors, its
// thumbnails, digests of its TIFF and EXIF tags, a stale pointer to extended XMP) and makes the
// rest of what describes the picture true for the JPEG file.
void MakeXmpTrue(Exiv2::XmpData &xmp, const PictureFacts &facts,
                 const std::optional<Resolution> &resolution);
