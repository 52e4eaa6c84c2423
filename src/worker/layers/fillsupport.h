#pragma once

#include "shared/psd/psdheader.h"

#include <string>
#include <vector>

struct LayerRecord;

// What of a fill layer saved without its pixels is not drawn from its settings, each by name
// ("gradient fills moved off their centre"); empty where it is drawn as Photoshop draws it.
std::vector<std::string> UnrenderedFill(const LayerRecord &layer, const PsdHeader &header);
