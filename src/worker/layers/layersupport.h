#pragma once

#include "worker/layers/layertree.h"

#include <functional>
#include <string>

struct PsdHeader;

// What the compositor renders, and so what it must refuse: everything not listed here.
// Rendered: grey, RGB, CMYK and Lab documents at 8 and 16 bits, and RGB and grey at 32 bits; layers
// from their stored pixels (which text, shape, fill and smart object layers hold rendered),
// opacity and fill opacity, hidden layers and groups, pass-through and isolated groups with
// their opacity and masks, clipping groups, layer masks with their density and the masks the
// writer rendered from vector masks, and every blend mode (those that mix hue, saturation and
// luminosity in RGB only; in 32 bits only normal, multiply, darken, lighten and difference; in
// Lab only normal; dissolve on layers where `dissolvesAsNormal` says it draws as normal does).
//
// Names what of the shown layers falls outside that, e.g. "layer styles, adjustment layers
// (curves)", or "" when nothing does. Hidden layers, and whatever lies in a hidden group, do
// not count.
using LayerCheck = std::function<bool(const LayerRecord &layer)>;
std::string UnrenderedFeatures(const std::vector<LayerNode> &tree, const PsdHeader &header,
                               const LayerCheck &dissolvesAsNormal);
