#pragma once

// ImageMagick, the second decoder. It lives in a module of its own, which the worker loads only
// when a file needs it: ImageMagick's libraries take longer to load than DevIL takes to convert
// a small file.

#include "shared/result.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <cstdint>
#include <string>

// Reads the composite of a PSD or PSB file into the bound DevIL image as 8-bit sRGB on a white
// page, so that DevIL writes the JPEG file as it writes any other.
class MagickDecoder
{
public:
    virtual ~MagickDecoder() = default;
    // What the colour step did as the value when the bound DevIL image holds the picture;
    // otherwise Unreadable with why it does not.
    virtual Result<Decoded> LoadInto(const std::string &source, const DecodePlan &plan) = 0;
};

// The module's one entry point. ImageMagick's limits follow from the worker's address space,
// never from the system's policy file (which may only lower them further).
extern "C" MagickDecoder *QuillmereNewMagickDecoder(std::uint64_t addressSpaceBytes);

constexpr const char *MagickModuleName = "quillmere-magick.so";
