#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A picture's resolution as a JPEG file holds it: whole dots per inch or per centimetre, the
// same numbers in JFIF, EXIF and XMP so that no reader sees two.
struct Resolution {
    enum class Unit : std::uint8_t { Inch = 1, Centimetre = 2 }; // as JFIF numbers them
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    Unit unit = Unit::Inch;

    // EXIF and TIFF number the units one higher: 2 inch, 3 centimetre.
    std::uint16_t ExifUnit() const { return std::uint16_t(unit) + 1; }
};

// From resource 1005 (ResolutionInfo): both resolutions in pixels per inch as 16.16 fixed
// point, each followed by the unit the document shows it in (1 inch, 2 centimetre). Nothing
// when the block is short or a resolution rounds to zero.
std::optional<Resolution> ResolutionFrom(const std::string &resolutionInfo);
