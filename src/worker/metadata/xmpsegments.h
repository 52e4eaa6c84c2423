#pragma once

#include "worker/metadata/jpegsegment.h"
#include "worker/metadata/resolution.h"

#include <optional>
#include <string>

// Resource 1060 as APP1 XMP segments, true to the JPEG file: without the document's history of
// ancestors (often megabytes) and thumbnails, with its orientation, pixel size, resolution and
// colour properties those of the JPEG file. What still does not fit one segment goes to
// extended XMP segments, the main packet naming them by their digest, so nothing is lost.
SegmentsOrReason XmpSegments(const std::string &packet, const PictureFacts &facts,
                             const std::optional<Resolution> &resolution);
