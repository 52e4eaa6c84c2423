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
    // The header's creation date (12 bytes at 24) is the moment of saving; a fixed one keeps
    // the same document's JPEG file the same byte for byte, whenever it is converted.
    constexpr char Made[12] = {0x07, char(0xE8), 0, 1, 0, 1, 0, 0, 0, 0, 0, 0}; // 2024-01-01
    if (bytes.size() >= 36)
        bytes.replace(24, sizeof Made, Made, sizeof Made);
    return bytes;
}

} // namespace

const std::string &SrgbProfile()
{
    static const std::string profile = MakeSrgbProfile();
    return profile;
}
