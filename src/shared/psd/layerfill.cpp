#include "shared/psd/layerfill.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <initializer_list>

namespace
{

// The colour's components under `path` and `keys`, each divided by `range`; `invert` for inks.
SolidColour Components(const Descriptor &colour, const std::string &path, FillModel model,
                       std::initializer_list<const char *> keys, double range, bool invert)
{
    SolidColour fill{model, {}};
    for (const char *key : keys) {
        const std::optional<double> value = colour.Number(path + "." + key);
        if (!value)
            return SolidColour{FillModel::Other, {}};
        const double share = std::clamp(*value / range, 0.0, 1.0);
        fill.shares.push_back(float(invert ? 1 - share : share));
    }
    return fill;
}

// Hue in degrees, saturation and brightness in percent.
SolidColour Hsb(const Descriptor &colour, const std::string &path)
{
    SolidColour hsb = Components(colour, path, FillModel::Hsb, {"H   "}, 360, false);
    const SolidColour rest = Components(colour, path, FillModel::Hsb, {"Strt", "Brgh"}, 100, false);
    if (hsb.model != FillModel::Hsb || rest.model != FillModel::Hsb)
        return SolidColour{FillModel::Other, {}};
    hsb.shares.insert(hsb.shares.end(), rest.shares.cbegin(), rest.shares.cend());
    return hsb;
}

} // namespace

SolidColour ColourOf(const Descriptor &descriptor, const std::string &path)
{
    const std::string model = descriptor.ClassOf(path);
    if (model == "RGBC" && descriptor.Number(path + ".redFloat"))
        return Components(descriptor, path, FillModel::Rgb, {"redFloat", "greenFloat", "blueFloat"},
                          1, false);
    if (model == "RGBC")
        return Components(descriptor, path, FillModel::Rgb, {"Rd  ", "Grn ", "Bl  "}, 255, false);
    if (model == "Grsc")
        return Components(descriptor, path, FillModel::Grayscale, {"Gry "}, 100, true);
    if (model == "CMYC")
        return Components(descriptor, path, FillModel::Cmyk, {"Cyn ", "Mgnt", "Ylw ", "Blck"}, 100,
                          true);
    if (model == "HSBC")
        return Hsb(descriptor, path);
    return SolidColour{FillModel::Other, {}};
}

SolidColour ReadSolidColour(SectionReader &reader, std::uint64_t end)
{
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    if (!descriptor)
        return SolidColour{FillModel::Other, {}};
    return ColourOf(*descriptor, "Clr ");
}

ShapeStyle ReadShapeStyle(SectionReader &reader, std::uint64_t end)
{
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    if (!descriptor)
        return ShapeStyle{false, false, true};
    return ShapeStyle{true, descriptor->Number("strokeEnabled").value_or(0) != 0,
                      descriptor->Number("fillEnabled").value_or(1) != 0};
}
