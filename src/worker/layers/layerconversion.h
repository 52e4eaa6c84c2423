#pragma once

#include "shared/result.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <string>

// Rebuilds the picture of a file saved without a flattened one from its layers, a band of rows
// at a time, and writes it as JPEG at jpegPath (which must not exist) on a white page.
// What the colour step did, named "layers", as the value; Unreadable when the layers use what is
// not rendered faithfully (named), or their data is damaged; Unwritable when the JPEG file
// cannot be written, in which case a partial file may remain at jpegPath. A fresh worker
// follows only when memory ran out: no decoder of others' making has run.
Result<Decoded> ConvertFromLayers(const std::string &source, const std::string &jpegPath,
                                  const DecodePlan &plan);
