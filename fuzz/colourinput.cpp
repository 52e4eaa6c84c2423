#include "colourinput.h"

#include <algorithm>
#include <iterator>

namespace
{

constexpr ColorMode Modes[] = {ColorMode::Grayscale, ColorMode::Rgb, ColorMode::Cmyk,
                               ColorMode::Lab};
constexpr int Depths[] = {8, 16, 32};

template <typename T, std::size_t N> char IndexOf(const T (&choices)[N], T value)
{
    return char(std::distance(std::begin(choices), std::ranges::find(choices, value)));
}

} // namespace

ColourInput ColourInput::Read(FuzzBytes &input)
{
    ColourInput colour;
    colour.layout.colorMode = input.Pick(Modes);
    colour.layout.depth = input.Pick(Depths);
    const auto flags = unsigned(input.Number(1));
    colour.layout.hasAlpha = flags & 1;
    colour.blendOnWhite = flags & 2;
    colour.whiteWhereClear = flags & 4;
    // The grid only for 32-bit Lab, where it takes floats of any value: a grid is made once
    // for the last profile and depth, and made afresh for another costs a hundred times as
    // much as the rest of an input.
    colour.gridded =
        (flags & 8) && colour.layout.colorMode == ColorMode::Lab && colour.layout.depth == 32;
    colour.profile = input.Take(input.Number(2));
    return colour;
}

std::string ColourInput::Bytes() const
{
    const int flags = (layout.hasAlpha ? 1 : 0) | (blendOnWhite ? 2 : 0) |
                      (whiteWhereClear ? 4 : 0) | (gridded ? 8 : 0);
    return std::string{IndexOf(Modes, layout.colorMode), IndexOf(Depths, layout.depth), char(flags),
                       char(profile.size()), char(profile.size() >> 8)} +
           profile;
}
