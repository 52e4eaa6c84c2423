#pragma once

#include "shared/result.h"
#include "worker/colourplan.h"

#include <cstdint>

// Makes the bound DevIL image the picture as 8-bit sRGB, row by row from the top. What the
// step did as the value, or Unreadable when there is no memory for it.
Result<Decoded> PaintSrgb(const ColourStep &step, std::uint32_t width, std::uint32_t height,
                          const SampleRows &rows);
