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

// How many of the nodes after `base` are clipped to it.
std::size_t ClippedAfter(const std::vector<LayerNode> &nodes, std::size_t base);

// Whether any of those `count` shows: hidden or empty layers leave the base as it is.
bool ClipsAnything(const std::vector<LayerNode> &nodes, std::size_t base, std::size_t count);
