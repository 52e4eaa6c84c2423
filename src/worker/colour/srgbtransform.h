#pragma once

#include "shared/psd/psdheader.h"

// LittleCMS transforms into sRGB, as the colour step makes them: relative colorimetric with
// black-point compensation, unoptimised, from floats in LittleCMS's units for the mode.

// Whether a profile (a cmsHPROFILE) describes colours of the PSD mode: 1 grey, 3 RGB, 4 CMYK.
bool FitsMode(void *profile, ColorMode mode);

// From source (a cmsHPROFILE) in the PSD mode to 8-bit sRGB, or with linearLight to float
// linear-light sRGB, neither clipped nor encoded; a cmsHTRANSFORM, or null when the profile
// cannot serve.
void *SrgbTransform(void *source, ColorMode mode, bool linearLight);
