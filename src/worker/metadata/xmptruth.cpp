#include "worker/metadata/xmptruth.h"

#include <exiv2/exiv2.hpp>

#include <array>
#include <regex>
#include <string_view>

namespace
{

constexpr std::array LeftOut{
    std::string_view("Xmp.photoshop.DocumentAncestors"), std::string_view("Xmp.xmp.Thumbnails"),
    std::string_view("Xmp.xmpNote.HasExtendedXMP"),      std::string_view("Xmp.tiff.NativeDigest"),
    std::string_view("Xmp.exif.NativeDigest"),           std::string_view("Xmp.tiff.BitsPerSample"),
    std::string_view("Xmp.photoshop.ICCProfile")};

bool IsLeftOut(const std::string &key)
{
    for (const std::string_view prefix : LeftOut) {
        if (key.starts_with(prefix) &&
            (key.size() == prefix.size() || key[prefix.size()] == '[' || key[prefix.size()] == '/'))
            return true;
    }
    return false;
}

// Only where the packet says it already: these are the document's words, not ours to add.
void SetWherePresent(Exiv2::XmpData &xmp, const char *key, const std::string &value)
{
    if (xmp.findKey(Exiv2::XmpKey(key)) != xmp.end())
        xmp[key] = value;
}

// Some writers leave the colon out of a date's zone ("-0700"), which XMP requires ("-07:00").
void MendDates(Exiv2::XmpData &xmp)
{
    static const std::regex ZoneWithoutColon(
        R"(\d{4}-\d\d-\d\dT\d\d:\d\d(:\d\d(\.\d+)?)?[+-]\d{4})");
    for (Exiv2::Xmpdatum &datum : xmp) {
        const std::string value = datum.toString();
        const std::size_t n = value.size();
        if (n > 20 && n < 40 && value[10] == 'T' && (value[n - 5] == '+' || value[n - 5] == '-') &&
            std::regex_match(value, ZoneWithoutColon))
            datum.setValue(value.substr(0, value.size() - 2) + ":" +
                           value.substr(value.size() - 2));
    }
}

std::string Rational(std::uint16_t value)
{
    return std::to_string(value) + "/1";
}

} // namespace

void MakeXmpTrue(Exiv2::XmpData &xmp, const PictureFacts &facts,
                 const std::optional<Resolution> &resolution)
{
    for (auto it = xmp.begin(); it != xmp.end();)
        it = IsLeftOut(it->key()) ? xmp.erase(it) : it + 1;
    MendDates(xmp);
    const bool grey = facts.components == 1;
    xmp["Xmp.tiff.Orientation"] = "1";
    xmp["Xmp.exif.PixelXDimension"] = std::to_string(facts.width);
    xmp["Xmp.exif.PixelYDimension"] = std::to_string(facts.height);
    xmp["Xmp.exif.ColorSpace"] = "1";
    SetWherePresent(xmp, "Xmp.dc.format", "image/jpeg");
    SetWherePresent(xmp, "Xmp.tiff.ImageWidth", std::to_string(facts.width));
    SetWherePresent(xmp, "Xmp.tiff.ImageLength", std::to_string(facts.height));
    SetWherePresent(xmp, "Xmp.tiff.SamplesPerPixel", std::to_string(facts.components));
    SetWherePresent(xmp, "Xmp.tiff.PhotometricInterpretation", grey ? "1" : "2");
    SetWherePresent(xmp, "Xmp.photoshop.ColorMode", grey ? "1" : "3");
    // The description our profile carries.
    if (facts.srgbTagged)
        xmp["Xmp.photoshop.ICCProfile"] = "sRGB built-in";
    if (resolution) {
        xmp["Xmp.tiff.XResolution"] = Rational(resolution->x);
        xmp["Xmp.tiff.YResolution"] = Rational(resolution->y);
        xmp["Xmp.tiff.ResolutionUnit"] = std::to_string(resolution->ExifUnit());
    }
}
