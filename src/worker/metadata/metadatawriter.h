#pragma once

#include "shared/result.h"
#include "worker/decodeplan.h"

#include <string>

// Whether the picture's colours came through the document's own profile (or its Lab, which
// needs none) on their way to sRGB, by the plan and the decoder's detail: a profile the
// colour step ignored says so there.
bool ColoursThroughProfile(const DecodePlan &plan, const std::string &detail);

// Puts the document's metadata into the finished JPEG file at jpegPath, a temporary file of
// ours: the resolution into its JFIF segment, and EXIF, XMP, an sRGB profile (when
// srgbTagged) and IPTC after it, the picture's data moved along as it is, never re-encoded.
// What of the metadata was left out and why as the value, "" when nothing was; Unwritable with
// why when the file could not be rewritten.
Result<std::string> AddMetadata(const std::string &jpegPath, const PsdMetadata &metadata,
                                bool srgbTagged);
