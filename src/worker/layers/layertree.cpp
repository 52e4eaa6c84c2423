#include "worker/layers/layertree.h"

std::optional<std::vector<LayerNode>> BuildLayerTree(const std::vector<LayerRecord> &layers)
{
    std::vector<std::vector<LayerNode>> open(1);
    for (const LayerRecord &layer : layers) {
        if (layer.divider == Divider::GroupEnd) {
            open.emplace_back();
            continue;
        }
        LayerNode node{&layer, false, {}};
        if (layer.divider == Divider::OpenGroup || layer.divider == Divider::ClosedGroup) {
            if (open.size() < 2)
                return std::nullopt;
            node.group = true;
            node.children = std::move(open.back());
            open.pop_back();
        }
        open.back().push_back(std::move(node));
    }
    if (open.size() != 1)
        return std::nullopt;
    return std::move(open.front());
}

std::size_t ClippedAfter(const std::vector<LayerNode> &nodes, std::size_t base)
{
    std::size_t count = 0;
    while (base + count + 1 < nodes.size() && nodes[base + count + 1].record->clipped)
        ++count;
    return count;
}

bool ClipsAnything(const std::vector<LayerNode> &nodes, std::size_t base, std::size_t count)
{
    for (std::size_t i = base + 1; i <= base + count; ++i) {
        const LayerRecord &layer = *nodes[i].record;
        if (!layer.hidden && (nodes[i].group || !layer.rect.IsEmpty() ||
                              layer.FillsWithoutPixels() || layer.IsAdjustment()))
            return true;
    }
    return false;
}
