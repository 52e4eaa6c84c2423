#include "worker/metadata/srgbprofile.h"

#include <lcms2.h>

namespace
{

std::string MakeSrgbProfile()
{
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    if (!profile)
        return {};
    cmsUInt32Number size = 0;
    std::string bytes;
    if (cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
        bytes.resize(size);
        if (!cmsSaveProfileToMem(profile, bytes.data(), &size))
            bytes.clear();
    }
    cmsCloseProfile(profile);
    return bytes;
}

} // namespace

const std::string &SrgbProfile()
{
    static const std::string profile = MakeSrgbProfile();
    return profile;
}
