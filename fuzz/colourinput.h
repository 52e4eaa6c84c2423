#pragma once

#include "fuzzbytes.h"
#include "worker/colour/colourstep.h"

#include <string>

// How the colour step's target reads its input, from the front: the samples' layout, what is
// done by alpha, whether the picture is large enough for the grid (32-bit Lab only), and a
// profile's bytes. The rest are samples.
struct ColourInput {
    SampleLayout layout;
    bool blendOnWhite = false;
    bool whiteWhereClear = false;
    bool gridded = false;
    std::string profile;

    static ColourInput Read(FuzzBytes &input);
    // The bytes that Read turns back into this input, for seeds.
    std::string Bytes() const;
};
