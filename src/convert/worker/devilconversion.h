#pragma once

#include "wireformat.h"

#include <string>

// Loads source with DevIL and saves it as JPEG at jpegPath (which must end in ".jpg" and must
// not exist). Ok with detail "devil"; Unreadable when the load fails, in which case nothing is
// saved, since DevIL would write whatever it left behind; Unwritable when the save fails or
// reports an error, in which case a partial file may remain at jpegPath.
wire::Response ConvertWithDevil(const std::string &source, const std::string &jpegPath);
