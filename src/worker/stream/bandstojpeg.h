#pragma once

#include "shared/protocol/wireformat.h"

#include <cstdint>
#include <functional>
#include <string>

class ColourStep;

// Fills `samples` with `rows` rows from row `top` on, as the colour step reads them; returns
// "" or what is damaged.
using BandSource =
    std::function<std::string(std::uint32_t top, std::uint32_t rows, unsigned char *samples)>;

// How many rows a band holds at this many bytes a row: a few MiB's worth.
std::uint32_t BandRows(std::size_t rowBytes);

// A picture of `width` x `height` pixels of `pixelBytes` bytes each, taken a band at a time
// from `source`, through `step` (skipped where `asIs`: the samples are 8-bit sRGB already)
// into a JPEG file at jpegPath, which must not exist. Ok with `decoder`, and the step's detail
// after it, as detail; Unreadable with what the source found damaged; Unwritable when the file
// cannot be written, in which case a partial file may remain.
wire::Response BandsToJpeg(const std::string &jpegPath, std::uint32_t width, std::uint32_t height,
                           std::size_t pixelBytes, const ColourStep &step, bool asIs,
                           const BandSource &source, const std::string &decoder);
