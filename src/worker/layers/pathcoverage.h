#pragma once

#include "shared/psd/layerpath.h"

#include <cstdint>
#include <vector>

// What a vector mask leaves of each pixel, anti-aliased: each shape's area within the pixel,
// found on sub-rows across which spans are measured exactly, the shapes combined in order.
class PathCoverage
{
public:
    PathCoverage(const VectorMask &mask, std::int64_t width, std::int64_t height);

    // The share of each of `width` pixels of row y from x = left that the mask leaves.
    void Row(std::int64_t y, std::int64_t left, std::int64_t width, float *shares) const;

private:
    struct Edge {
        double x0, y0, x1, y1; // y0 < y1
    };
    struct Shape {
        PathOperation operation;
        std::vector<Edge> edges;
        double top, bottom;
    };

    void AddSubpath(Shape &shape, const Subpath &subpath, double width, double height);
    void AddCurve(Shape &shape, const PathPoint (&points)[4]);
    void AddLine(Shape &shape, PathPoint from, PathPoint to);
    void ShapeRow(const Shape &shape, std::int64_t y, std::int64_t left,
                  std::vector<float> &cover) const;

    const VectorMask &m_mask;
    std::vector<Shape> m_shapes;
};
