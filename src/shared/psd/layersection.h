#pragma once

#include "shared/psd/layerrecord.h"
#include "shared/result.h"

#include <string>

struct PsdHeader;

// The layer records of a PSD or PSB file and where each channel's data lies, read from the
// layer and mask section (or, for 16- and 32-bit documents, from its `Lr16`/`Lr32` block).
// Every length, count and rectangle is checked against the section that holds it; where one
// does not hold, Unreadable saying what. No channel data is read.
Result<LayerSection> ReadLayerSection(const std::string &path, const PsdHeader &header);

// The same from the path alone, header included: what a fuzzer drives.
Result<LayerSection> ReadLayerSection(const std::string &path);

// How layer data that does not hold is refused: Unreadable, "damaged layer data: " and what.
Failure DamagedLayerData(const std::string &what);
