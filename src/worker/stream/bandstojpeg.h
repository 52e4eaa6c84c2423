#pragma once

#include "shared/result.h"
#include "worker/decoded.h"

#include <cstdint>
#include <functional>
#include <string>

class ColourStep;

// Fills `samples` with `rows` rows from row `top` on, as the colour step reads them; or fails
// saying what is damaged.
using BandSource =
    std::function<Result<>(std::uint32_t top, std::uint32_t rows, unsigned char *samples)>;

// How many rows a band holds at this many bytes a row: a few MiB's worth.
std::uint32_t BandRows(std::size_t rowBytes);

// A picture of `width` x `height` pixels of `pixelBytes` bytes each, taken a band at a time
// from `source`, through `step` (skipped where `asIs`: the samples are 8-bit sRGB already)
// into a JPEG file at jpegPath, which must not exist. What the step did, named by `decoder`, as
// the value; the source's failure as it came; Unwritable when the file cannot be written, in
// which case a partial file may remain.
Result<Decoded> BandsToJpeg(const std::string &jpegPath, std::uint32_t width, std::uint32_t height,
                            std::size_t pixelBytes, const ColourStep &step, bool asIs,
                            const BandSource &source, const std::string &decoder);
