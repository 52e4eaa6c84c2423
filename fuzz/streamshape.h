#pragma once

#include "fuzzbytes.h"
#include "shared/psd/psdcontents.h"

#include <cstdint>
#include <string>

// How the stream targets read the rest of their input as merged image data, taken from its
// front: the picture's size, channels and depth (8, 16, 32 or 1), the compression, and where
// the data begins. Small enough that every input is read in a moment.
struct StreamShape {
    PsdHeader header;
    Compression compression = Compression::Raw;
    std::uint64_t dataOffset = 0;

    static StreamShape Read(FuzzBytes &input);
    // The bytes that Read turns back into this shape, for seeds.
    std::string Bytes() const;
};
