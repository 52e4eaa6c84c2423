#pragma once

// Gradients as Photoshop's descriptors keep them: colour stops and transparency stops, each at
// a location with a midpoint to the next, and the shape a gradient fill layer (`GdFl`) draws
// one in.

#include "shared/psd/layerfill.h"

#include <cstdint>
#include <string>
#include <vector>

class SectionReader;
struct Descriptor;

struct GradientColourStop {
    double location = 0; // 0 to 1 along the gradient
    double midpoint = 0.5;
    SolidColour colour;
};

struct GradientOpacityStop {
    double location = 0;
    double midpoint = 0.5;
    double opacity = 1;
};

struct GradientStops {
    std::vector<GradientColourStop> colours;    // by location
    std::vector<GradientOpacityStop> opacities; // by location
    double smoothness = 1;                      // 0 to 1
    bool linearLight = false;                   // blended as light, not as shares
    // What of the gradient is not read, such as a noise gradient; "" where all of it is.
    std::string unread;
};

enum class GradientShape { Linear, Radial, Angle, Reflected, Diamond };

struct GradientFill {
    bool present = false;
    GradientStops gradient;
    GradientShape shape = GradientShape::Linear;
    double angle = 90;  // degrees, anticlockwise from pointing right
    double scale = 1;   // of the length the shape's box gives the gradient
    double offsetX = 0; // of the centre, in shares of the box
    double offsetY = 0;
    bool reverse = false;
    bool alignWithLayer = true;
};

// Takes the way of interpolating a gradient's writer names (such as "Lnr ", blending light;
// "" for the classic way) into `gradient`: one not drawn leaves it unread.
void InterpolationOf(const std::string &method, GradientStops &gradient);

// The gradient object under `path` of `descriptor` ("Grad" in a fill's).
GradientStops GradientOf(const Descriptor &descriptor, const std::string &path);

// The gradient and its layout under `path` of `descriptor`: "" for a fill layer's, the
// effect's path for a gradient overlay's.
GradientFill GradientFillOf(const Descriptor &descriptor, const std::string &path);

// The fill of the `GdFl` block from the reader's position to `end`; `gradient.unread` says
// where its descriptor does not read.
GradientFill ReadGradientFill(SectionReader &reader, std::uint64_t end);
