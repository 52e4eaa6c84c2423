#include "shared/psd/layergradient.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <map>

namespace
{

// Locations and midpoints: 4096 is the gradient's end, midpoints in percent.
constexpr double Span = 4096;

template <typename Stop>
bool ReadStops(const Descriptor &descriptor, const std::string &list, std::vector<Stop> &stops,
               bool (*value)(const Descriptor &, const std::string &, Stop &))
{
    for (int i = 0;; ++i) {
        const std::string path = list + "." + std::to_string(i);
        const std::optional<double> location = descriptor.Number(path + ".Lctn");
        if (!location)
            return !stops.empty();
        Stop stop;
        stop.location = std::clamp(*location / Span, 0.0, 1.0);
        stop.midpoint = std::clamp(descriptor.Number(path + ".Mdpn").value_or(50) / 100, 0.0, 1.0);
        if (!value(descriptor, path, stop))
            return false;
        stops.push_back(stop);
    }
}

bool ColourStop(const Descriptor &descriptor, const std::string &path, GradientColourStop &stop)
{
    stop.colour = ColourOf(descriptor, path + ".Clr ");
    return stop.colour.model != FillModel::Other;
}

bool OpacityStop(const Descriptor &descriptor, const std::string &path, GradientOpacityStop &stop)
{
    const std::optional<double> opacity = descriptor.Number(path + ".Opct");
    stop.opacity = std::clamp(opacity.value_or(100) / 100, 0.0, 1.0);
    return opacity.has_value();
}

template <typename Stop> void ByLocation(std::vector<Stop> &stops)
{
    std::stable_sort(stops.begin(), stops.end(),
                     [](const Stop &a, const Stop &b) { return a.location < b.location; });
}

GradientShape ShapeOf(const std::string &type, bool &known)
{
    static const std::map<std::string, GradientShape> shapes = {
        {"Lnr ", GradientShape::Linear},  {"Rdl ", GradientShape::Radial},
        {"Angl", GradientShape::Angle},   {"Rflc", GradientShape::Reflected},
        {"Dmnd", GradientShape::Diamond},
    };
    const auto found = shapes.find(type);
    known = found != shapes.end();
    return known ? found->second : GradientShape::Linear;
}

} // namespace

void InterpolationOf(const std::string &method, GradientStops &gradient)
{
    gradient.linearLight = method == "Lnr ";
    if (!method.empty() && !gradient.linearLight && gradient.unread.empty())
        gradient.unread = "gradient interpolation '" + method + "'";
}

GradientStops GradientOf(const Descriptor &descriptor, const std::string &path)
{
    GradientStops gradient;
    const auto form = descriptor.enums.find(path + ".GrdF");
    if (form != descriptor.enums.end() && form->second != "CstS")
        gradient.unread = "noise gradients";
    else if (!ReadStops(descriptor, path + ".Clrs", gradient.colours, ColourStop))
        gradient.unread = "gradient colours of a model not read";
    else if (!ReadStops(descriptor, path + ".Trns", gradient.opacities, OpacityStop))
        gradient.unread = "gradients without transparency stops";
    ByLocation(gradient.colours);
    ByLocation(gradient.opacities);
    gradient.smoothness =
        std::clamp(descriptor.Number(path + ".Intr").value_or(Span) / Span, 0.0, 1.0);
    return gradient;
}

GradientFill GradientFillOf(const Descriptor &descriptor, const std::string &path)
{
    const auto at = [&](const std::string &key) { return path.empty() ? key : path + "." + key; };
    const auto enumAt = [&](const std::string &key) {
        const auto found = descriptor.enums.find(at(key));
        return found == descriptor.enums.end() ? std::string() : found->second;
    };
    GradientFill fill;
    fill.present = true;
    fill.gradient = GradientOf(descriptor, at("Grad"));
    bool known = true;
    const std::string type = enumAt("Type");
    fill.shape = ShapeOf(type.empty() ? "Lnr " : type, known);
    if (!known && fill.gradient.unread.empty())
        fill.gradient.unread = "gradient shape '" + type + "'";
    // Fills and styles name the choice of interpolation differently.
    InterpolationOf(enumAt("gradientsInterpolationMethod") + enumAt("gs99"), fill.gradient);
    fill.angle = descriptor.Number(at("Angl")).value_or(90);
    fill.scale = descriptor.Number(at("Scl ")).value_or(100) / 100;
    fill.offsetX = descriptor.Number(at("Ofst.Hrzn")).value_or(0) / 100;
    fill.offsetY = descriptor.Number(at("Ofst.Vrtc")).value_or(0) / 100;
    fill.reverse = descriptor.Number(at("Rvrs")).value_or(0) != 0;
    fill.alignWithLayer = descriptor.Number(at("Algn")).value_or(1) != 0;
    return fill;
}

GradientFill ReadGradientFill(SectionReader &reader, std::uint64_t end)
{
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    if (!descriptor) {
        GradientFill fill;
        fill.present = true;
        fill.gradient.unread = "gradient settings that do not read";
        return fill;
    }
    return GradientFillOf(*descriptor, "");
}
