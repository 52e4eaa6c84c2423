#pragma once

#include "decodeplan.h"

#include <cstdint>
#include <string>

// ImageMagick, the second decoder: reads the composite of a PSD or PSB file into the bound DevIL
// image as 8-bit sRGB on a white page, so that DevIL writes the JPEG file as it writes any other.
// It starts on first use, so files DevIL reads never wait for it.
class MagickDecoder
{
public:
    // ImageMagick's own limits follow from the worker's address space, never from the system's
    // policy file (which may only lower them further).
    explicit MagickDecoder(std::uint64_t addressSpaceBytes);

    // "" when the bound DevIL image holds the picture; otherwise why it does not.
    std::string LoadInto(const std::string &source, const DecodePlan &plan);

private:
    void Start();

    std::uint64_t m_addressSpaceBytes;
    bool m_started = false;
};
