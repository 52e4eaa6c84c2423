#pragma once

#include "shared/psd/psdheader.h"

#include <string>
#include <vector>

struct LayerRecord;

// What of a shown layer's style is not rendered, each by name ("layer styles (drop shadow)");
// empty where the style changes nothing or is rendered. `plain`: a layer, neither clipped nor
// the base of a clipping group.
std::vector<std::string> UnrenderedStyle(const LayerRecord &layer, const PsdHeader &header,
                                         bool plain);
