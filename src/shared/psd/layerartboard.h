#pragma once

// An artboard (`artb`, `artd`, `abdd` on a group's record): a page of its own within the
// document, which shows its layers only within its rectangle, over its background.

#include "shared/psd/layerfill.h"

#include <cstdint>

class SectionReader;

enum class ArtboardBackground { White = 1, Black = 2, Transparent = 3, Colour = 4 };

struct Artboard {
    bool present = false;
    bool readable = true;
    // Its rectangle, in whole pixels.
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;
    int background = int(ArtboardBackground::White); // as stored: other values are not known
    SolidColour colour;                              // of a Colour background
};

// The artboard of the block from the reader's position to `end`.
Artboard ReadArtboard(SectionReader &reader, std::uint64_t end);
