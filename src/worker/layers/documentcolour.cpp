#include "worker/layers/documentcolour.h"

std::optional<std::vector<float>> ColourInMode(const SolidColour &colour, ColorMode mode)
{
    const bool extreme = colour.model == FillModel::Grayscale &&
                         (colour.shares.front() == 0 || colour.shares.front() == 1);
    if ((colour.model == FillModel::Rgb && mode == ColorMode::Rgb) ||
        (colour.model == FillModel::Grayscale && mode == ColorMode::Grayscale) ||
        (colour.model == FillModel::Cmyk && mode == ColorMode::Cmyk))
        return colour.shares;
    if (extreme && mode == ColorMode::Rgb)
        return std::vector<float>(3, colour.shares.front());
    return std::nullopt;
}
