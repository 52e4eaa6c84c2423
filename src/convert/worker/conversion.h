#pragma once

#include "wireformat.h"

class MagickLoader;

// One request of the app: the source converted to a JPEG file at the target, or the reason why
// not. No partial file is ever left at the target, and an existing target is never touched.
wire::Response Convert(const wire::Request &request, MagickLoader &magick);
