#pragma once

#include "shared/psd/layerfill.h"
#include "shared/psd/psdheader.h"

#include <optional>
#include <vector>

// A colour a descriptor names (of an effect, an artboard) in the document's mode, as channel
// shares the compositor keeps, where it is there exactly: in the document's own model, or
// grey's black and white in RGB.
std::optional<std::vector<float>> ColourInMode(const SolidColour &colour, ColorMode mode);
