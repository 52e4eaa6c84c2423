#pragma once

#include "shared/result.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <string>

// Reads the merged image of a PSD or PSB file a band of rows at a time with our own reader and
// writes it as JPEG at jpegPath (which must not exist), in a few bands' worth of memory
// whatever the picture's size. "reader" (and the colour step's word) as detail; Unreadable
// when the image data is damaged or there is no memory for the bands; Unwritable when the
// JPEG file cannot be written, in which case a partial file may remain at jpegPath. A fresh
// worker follows any failure.
Result<Decoded> ConvertByStreaming(const std::string &source, const std::string &jpegPath,
                                   const DecodePlan &plan);
