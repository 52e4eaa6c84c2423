#pragma once

#include "shared/psd/layerrecord.h"

#include <string>

struct PsdHeader;

// The layer records of a PSD or PSB file and where each channel's data lies, read from the
// layer and mask section (or, for 16- and 32-bit documents, from its `Lr16`/`Lr32` block).
// Every length, count and rectangle is checked against the section that holds it; `damage`
// says what does not hold. No channel data is read.
LayerSection ReadLayerSection(const std::string &path, const PsdHeader &header);

// The same from the path alone, header included: what a fuzzer drives.
LayerSection ReadLayerSection(const std::string &path);
