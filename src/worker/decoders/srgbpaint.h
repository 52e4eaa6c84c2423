#pragma once

#include "shared/protocol/wireformat.h"
#include "worker/colourplan.h"

#include <cstdint>

// Makes the bound DevIL image the picture as 8-bit sRGB, row by row from the top. Ok with the
// step's detail, or Unreadable when there is no memory for it.
wire::Response PaintSrgb(const ColourStep &step, std::uint32_t width, std::uint32_t height,
                         const SampleRows &rows);
