#pragma once

#include "shared/psd/psdheader.h"

#include <string>

struct LayerRecord;

// Whether dissolve draws the layer as normal blending does: where each of its pixels shows
// wholly or not at all, its alpha, masks, opacity and fill opacity taken together. Dissolve
// shows a pixel in between wholly or not at all by a noise no one else can draw, so a layer
// with any such pixel is not drawn. False too where its data does not read.
bool DissolvesAsNormal(const std::string &path, const PsdHeader &header, const LayerRecord &layer);
