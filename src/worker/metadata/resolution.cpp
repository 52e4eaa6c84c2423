#include "worker/metadata/resolution.h"

#include <cmath>

namespace
{

constexpr double CentimetresPerInch = 2.54;

std::uint32_t BigEndianAt(const std::string &bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

// Pixels per inch in 16.16 fixed point to whole dots per unit; 0 when out of range.
std::uint16_t DotsPer(std::uint32_t fixed, Resolution::Unit unit)
{
    double perInch = fixed / 65536.0;
    if (unit == Resolution::Unit::Centimetre)
        perInch /= CentimetresPerInch;
    const double rounded = std::round(perInch);
    return rounded >= 1 && rounded <= 65535 ? std::uint16_t(rounded) : 0;
}

} // namespace

std::optional<Resolution> ResolutionFrom(const std::string &resolutionInfo)
{
    if (resolutionInfo.size() < 16)
        return std::nullopt;
    // One unit for both: JFIF and EXIF have no room for two.
    Resolution resolution;
    resolution.unit = BigEndianAt(resolutionInfo, 4, 2) == 2 ? Resolution::Unit::Centimetre
                                                             : Resolution::Unit::Inch;
    resolution.x = DotsPer(BigEndianAt(resolutionInfo, 0, 4), resolution.unit);
    resolution.y = DotsPer(BigEndianAt(resolutionInfo, 8, 4), resolution.unit);
    if (resolution.x == 0 || resolution.y == 0)
        return std::nullopt;
    return resolution;
}
