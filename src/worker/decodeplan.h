#pragma once

#include "shared/psd/psdcontents.h"
#include "shared/psd/psdheader.h"
#include "shared/psd/psdmetadata.h"
#include "shared/result.h"

#include <cstdint>
#include <string>

// DevIL; ImageMagick for what DevIL cannot read; our own streaming reader for what is too
// large for either; our own compositor for a picture to be rebuilt from its layers.
enum class Decoder { Devil, Magick, Reader, Layers };

// How the merged image meets the white page of the JPEG file once its transparency is gone.
enum class Backdrop {
    Ignore,  // no transparency, or Photoshop's composite, already blended on white
    Flatten, // a composite rebuilt from the layers: straight alpha, blended here
    Decide,  // the data show whether the writer blended it on white or left that to us
};

struct DecodePlan {
    Decoder decoder = Decoder::Devil;
    Backdrop backdrop = Backdrop::Ignore;
    // Only a PSD or PSB file may go to ImageMagick, or through the colour step.
    bool isPsd = false;
    PsdHeader header;
    std::string iccProfile; // resource 1039, or empty
    PsdMetadata metadata;   // for the JPEG file
    // For the reader: where and how the merged image is stored.
    Compression compression = Compression::Raw;
    std::uint64_t imageDataOffset = 0;
    // Our reader takes the merged image: it reads what is too large for the decoders, and what
    // they fail on.
    bool readerTakes = false;
};

// Which decoder takes the source and how, decided from its header and sections; or why none
// may: too large, or damaged. A file whose name ends in .psd or .psb (in any case), or whose
// first bytes say PSD, must pass the header check; DevIL tries any other as it is.
Result<DecodePlan> PlanDecode(const std::string &source);
