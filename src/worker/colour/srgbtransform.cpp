#include "worker/colour/srgbtransform.h"

#include "shared/psd/psdheader.h"

#include <lcms2.h>

namespace
{

cmsUInt32Number FloatFormatOf(ColorMode mode)
{
    switch (mode) {
    case ColorMode::Grayscale:
        return TYPE_GRAY_FLT;
    case ColorMode::Cmyk:
        return TYPE_CMYK_FLT;
    case ColorMode::Lab:
        return TYPE_Lab_FLT;
    default:
        return TYPE_RGB_FLT;
    }
}

// sRGB's primaries and white, without its tone curve.
cmsHPROFILE LinearSrgb()
{
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve *linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve *curves[3] = {linear, linear, linear};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(linear);
    return profile;
}

} // namespace

bool FitsMode(void *profile, ColorMode mode)
{
    const cmsColorSpaceSignature space = mode == ColorMode::Grayscale ? cmsSigGrayData
                                         : mode == ColorMode::Cmyk    ? cmsSigCmykData
                                                                      : cmsSigRgbData;
    return cmsGetColorSpace(profile) == space;
}

void *SrgbTransform(void *source, ColorMode mode, bool linearLight)
{
    cmsHPROFILE target = linearLight ? LinearSrgb() : cmsCreate_sRGBProfile();
    if (!target)
        return nullptr;
    // Unoptimised: the precalculated tables LittleCMS would use instead are off by up to twenty
    // levels near the edges of the gamut.
    cmsHTRANSFORM transform = cmsCreateTransform(
        source, FloatFormatOf(mode), target, linearLight ? TYPE_RGB_FLT : TYPE_RGB_8,
        INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOOPTIMIZE);
    cmsCloseProfile(target);
    return transform;
}
