#pragma once

#include "shared/psd/psdmetadata.h"
#include "shared/result.h"

#include <string>

// Puts the document's metadata into the finished JPEG file at jpegPath, a temporary file of
// ours: the resolution into its JFIF segment, and EXIF, XMP, an sRGB profile (when
// srgbTagged) and IPTC after it, the picture's data moved along as it is, never re-encoded.
// What of the metadata was left out and why as the value, "" when nothing was; Unwritable with
// why when the file could not be rewritten.
Result<std::string> AddMetadata(const std::string &jpegPath, const PsdMetadata &metadata,
                                bool srgbTagged);
