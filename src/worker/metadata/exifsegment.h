#pragma once

#include "worker/metadata/jpegsegment.h"
#include "worker/metadata/resolution.h"

#include <optional>
#include <string>

// Resource 1058 as an APP1 "Exif" segment, true to the JPEG file: orientation 1 (the pixels
// are upright already), its pixel size, sRGB, the resolution where the document gives one, and
// no thumbnail (it would show the document as it was).
SegmentsOrReason ExifSegment(const std::string &tiff, const PictureFacts &facts,
                             const std::optional<Resolution> &resolution);
