#pragma once

// The colour of a solid colour fill layer (`SoCo`), as channel shares of the colour model
// its descriptor names; CMYK and grey as stored in the document's channels, where 1 is no ink.

#include <cstdint>
#include <string>
#include <vector>

class SectionReader;
struct Descriptor;

enum class FillModel { None, Rgb, Grayscale, Cmyk, Other };

struct SolidColour {
    FillModel model = FillModel::None;
    std::vector<float> shares;
};

// The colour object under `path` of `descriptor`, model Other where it is in a model not read
// here.
SolidColour ColourOf(const Descriptor &descriptor, const std::string &path);

// The fill of the `SoCo` block from the reader's position to `end`; model Other where its
// colour is in a model not read here or its descriptor does not read.
SolidColour ReadSolidColour(SectionReader &reader, std::uint64_t end);

// A shape's stroke and fill switches (`vstk`): a shape saved without its pixels shows its
// fill only where fillEnabled, and a stroke where strokeEnabled.
struct ShapeStyle {
    bool readable = true;
    bool strokeEnabled = false;
    bool fillEnabled = true;
};

ShapeStyle ReadShapeStyle(SectionReader &reader, std::uint64_t end);
