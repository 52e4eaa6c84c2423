#pragma once

#include "shared/psd/layerrecord.h"

#include <optional>
#include <vector>

// A layer, or a group with the layers in it.
struct LayerNode {
    const LayerRecord *record = nullptr; // the layer's, or the group's own
    bool group = false;
    std::vector<LayerNode> children; // bottom first
};

// The records as nested groups, bottom first: a group's end marker comes before its layers
// and the group's own record after them. nullopt where the markers do not pair up.
std::optional<std::vector<LayerNode>> BuildLayerTree(const std::vector<LayerRecord> &layers);
