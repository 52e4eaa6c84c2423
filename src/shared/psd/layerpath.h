#pragma once

// A layer's vector mask (`vmsk`, `vsms`): shapes of Bezier subpaths, each knot's points as
// shares of the document's width and height, combined in order by each shape's operation.

#include <cstdint>
#include <vector>

class SectionReader;

struct PathPoint {
    double x = 0;
    double y = 0;
};

struct PathKnot {
    PathPoint before; // the control point the curve arrives by
    PathPoint anchor;
    PathPoint after; // the control point it leaves by
};

// An open subpath is filled as if a straight line closed it.
struct Subpath {
    bool closed = true;
    std::vector<PathKnot> knots;
};

enum class PathOperation { Exclude = 0, Combine = 1, Subtract = 2, Intersect = 3 };

struct PathShape {
    PathOperation operation = PathOperation::Combine;
    std::vector<Subpath> subpaths; // filled together, by the even-odd rule
};

struct VectorMask {
    bool present = false;
    bool readable = true;
    bool inverted = false;
    bool disabled = false;
    bool startsFull = false; // the area before the first shape: all, or nothing
    std::vector<PathShape> shapes;
};

// The vector mask of the block from the reader's position to `end`; readable is false where
// its records do not add up.
VectorMask ReadVectorMask(SectionReader &reader, std::uint64_t end);
