#pragma once

// The meeting point of the decoders and the colour step: whichever decoder read a picture,
// its samples reach the JPEG file through the same ColourStep.

#include "worker/colour/colourstep.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <cstdint>
#include <functional>
#include <memory>

// The samples of row y, laid out as the step's SampleLayout says; valid until the next call.
using SampleRows = std::function<const void *(std::uint32_t y)>;

// The colour step for these samples of the plan's file: its profile where it belongs to the
// samples' mode (none where the decoder has turned them into another), and its transparency as
// the plan says, or as the data show (which reads every row once) where it leaves that to them.
std::unique_ptr<ColourStep> ColourStepFor(const DecodePlan &plan, const SampleLayout &layout,
                                          std::uint32_t width, std::uint32_t height,
                                          const SampleRows &rows);

// What the step did to the colours, before a decoder names itself.
Decoded DecodedBy(const ColourStep &step);
