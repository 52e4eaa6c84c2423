#pragma once

#include "shared/result.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <string>

class MagickLoader;

// Loads source into a DevIL image, by DevIL itself or by ImageMagick as the plan says (and by
// ImageMagick too when DevIL fails on a PSD or PSB file), and has DevIL save it as JPEG at
// jpegPath (which must end in ".jpg" and must not exist). The decoder's name, "devil" or
// "magick", in the value; Unreadable when no decoder could load it, in which case nothing is
// saved, since DevIL would write whatever it left behind; Unwritable when the save fails or
// reports an error, in which case a partial file may remain at jpegPath. A fresh worker follows
// when any decoder or the save failed on the way.
Result<Decoded> ConvertThroughDevil(const std::string &source, const std::string &jpegPath,
                                    const DecodePlan &plan, MagickLoader &magick);
