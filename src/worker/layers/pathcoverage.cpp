#include "worker/layers/pathcoverage.h"

#include <algorithm>
#include <cmath>

namespace
{

// Sub-rows a pixel row is measured on: an edge's error stays under a 32nd of a pixel.
constexpr int SubRows = 16;

double Distance(PathPoint a, PathPoint b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

PathPoint Scaled(PathPoint point, double width, double height)
{
    return PathPoint{point.x * width, point.y * height};
}

// Adds the span from xa to xb, within [0, cover.size()), to the pixels it crosses: `partial`
// takes the ends, `runs` the whole pixels as differences summed afterwards.
void AddSpan(double xa, double xb, std::vector<float> &partial, std::vector<float> &runs)
{
    const auto size = double(partial.size());
    xa = std::clamp(xa, 0.0, size);
    xb = std::clamp(xb, 0.0, size);
    if (xb <= xa)
        return;
    const auto first = std::size_t(xa);
    const auto last = std::size_t(xb);
    if (first == last) {
        partial[first] += float(xb - xa);
        return;
    }
    partial[first] += float(double(first + 1) - xa);
    runs[first + 1] += 1.0f;
    runs[last] -= 1.0f;
    if (last < partial.size())
        partial[last] += float(xb - double(last));
}

float Combined(PathOperation operation, float result, float shape)
{
    switch (operation) {
    case PathOperation::Combine:
        return result + shape - result * shape;
    case PathOperation::Subtract:
        return result * (1 - shape);
    case PathOperation::Intersect:
        return result * shape;
    case PathOperation::Exclude:
        return result + shape - 2 * result * shape;
    }
    return result;
}

} // namespace

PathCoverage::PathCoverage(const VectorMask &mask, std::int64_t width, std::int64_t height)
    : m_mask(mask)
{
    for (const PathShape &source : mask.shapes) {
        Shape shape{source.operation, {}, HUGE_VAL, -HUGE_VAL};
        for (const Subpath &subpath : source.subpaths)
            AddSubpath(shape, subpath, double(width), double(height));
        m_shapes.push_back(std::move(shape));
    }
}

void PathCoverage::AddSubpath(Shape &shape, const Subpath &subpath, double width, double height)
{
    const std::vector<PathKnot> &knots = subpath.knots;
    for (std::size_t i = 0; i < knots.size(); ++i) {
        const PathKnot &from = knots[i];
        const PathKnot &to = knots[(i + 1) % knots.size()];
        const bool closing = i + 1 == knots.size() && !subpath.closed;
        const PathPoint start = Scaled(from.anchor, width, height);
        const PathPoint end = Scaled(to.anchor, width, height);
        const PathPoint points[4] = {start, closing ? start : Scaled(from.after, width, height),
                                     closing ? end : Scaled(to.before, width, height), end};
        AddCurve(shape, points);
    }
}

// A cubic Bezier as straight pieces, more the longer its control polygon.
void PathCoverage::AddCurve(Shape &shape, const PathPoint (&p)[4])
{
    const double length = Distance(p[0], p[1]) + Distance(p[1], p[2]) + Distance(p[2], p[3]);
    const bool straight = Distance(p[0], p[1]) + Distance(p[2], p[3]) < 1e-9;
    const int pieces = straight ? 1 : std::clamp(int(std::ceil(2 * std::sqrt(length))), 2, 512);
    PathPoint previous = p[0];
    for (int i = 1; i <= pieces; ++i) {
        const double t = double(i) / pieces;
        const double u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        const PathPoint next{a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x,
                             a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
        AddLine(shape, previous, next);
        previous = next;
    }
}

void PathCoverage::AddLine(Shape &shape, PathPoint from, PathPoint to)
{
    if (from.y == to.y)
        return;
    const bool down = from.y < to.y;
    const PathPoint top = down ? from : to;
    const PathPoint bottom = down ? to : from;
    shape.edges.push_back(Edge{top.x, top.y, bottom.x, bottom.y});
    shape.top = std::min(shape.top, top.y);
    shape.bottom = std::max(shape.bottom, bottom.y);
}

// The shape's area in each pixel, by the even-odd rule, on sub-rows through the row.
void PathCoverage::ShapeRow(const Shape &shape, std::int64_t y, std::int64_t left,
                            std::vector<float> &cover) const
{
    std::fill(cover.begin(), cover.end(), 0.0f);
    if (double(y + 1) <= shape.top || double(y) >= shape.bottom)
        return;
    std::vector<float> runs(cover.size() + 1, 0.0f);
    std::vector<double> crossings;
    for (int sub = 0; sub < SubRows; ++sub) {
        const double at = double(y) + (sub + 0.5) / SubRows;
        crossings.clear();
        for (const Edge &edge : shape.edges) {
            if (at >= edge.y0 && at < edge.y1) {
                const double x =
                    edge.x0 + (at - edge.y0) * (edge.x1 - edge.x0) / (edge.y1 - edge.y0);
                crossings.push_back(x - double(left));
            }
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            AddSpan(crossings[i], crossings[i + 1], cover, runs);
    }
    float run = 0;
    for (std::size_t x = 0; x < cover.size(); ++x) {
        run += runs[x];
        cover[x] = std::min(1.0f, (cover[x] + run) / SubRows);
    }
}

void PathCoverage::Row(std::int64_t y, std::int64_t left, std::int64_t width, float *shares) const
{
    std::vector<float> result(static_cast<std::size_t>(width), m_mask.startsFull ? 1.0f : 0.0f);
    std::vector<float> cover(static_cast<std::size_t>(width));
    for (const Shape &shape : m_shapes) {
        ShapeRow(shape, y, left, cover);
        for (std::size_t x = 0; x < result.size(); ++x)
            result[x] = Combined(shape.operation, result[x], cover[x]);
    }
    for (std::size_t x = 0; x < result.size(); ++x)
        shares[x] = m_mask.inverted ? 1 - result[x] : result[x];
}
