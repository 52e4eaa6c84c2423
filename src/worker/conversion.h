#pragma once

#include "shared/protocol/wireformat.h"
#include "shared/result.h"

#include <string>

class MagickLoader;

// One request of the app: the source converted to a JPEG file at the target, with the decoder
// that served it as the value; or why not. No partial file is ever left at the target, and an
// existing target is never touched.
Result<std::string> Convert(const wire::Request &request, MagickLoader &magick);
