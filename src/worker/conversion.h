#pragma once

#include "shared/protocol/wireformat.h"

class MagickLoader;

// One request of the app: the source converted to a JPEG file at the target, or the reason why
// not. No partial file is ever left at the target, and an existing target is never touched.
// `unclean` is set when a decoder failed on the way, whatever came of it: its heap may be
// damaged, and no other file should meet it.
wire::Response Convert(const wire::Request &request, MagickLoader &magick, bool &unclean);
