#include "worker/layers/fillsupport.h"

#include "shared/psd/layerrecord.h"
#include "worker/layers/gradientfill.h"

#include <algorithm>
#include <cmath>

namespace
{

using Names = std::vector<std::string>;

FillModel ModelOf(ColorMode mode)
{
    switch (mode) {
    case ColorMode::Rgb:
        return FillModel::Rgb;
    case ColorMode::Grayscale:
        return FillModel::Grayscale;
    case ColorMode::Cmyk:
        return FillModel::Cmyk;
    default:
        return FillModel::Other;
    }
}

// Bounds known from Photoshop's pictures: one shape's, or those of the parts of a shape
// combined, or a pixel mask's; not where a shape cuts holes or a pixel mask hides around it.
bool AlignsWithUnknownBounds(const LayerRecord &layer)
{
    const VectorMask &shape = layer.vectorMask;
    if (!shape.present || shape.disabled)
        return false;
    const bool combined =
        std::all_of(shape.shapes.cbegin() + (shape.shapes.empty() ? 0 : 1), shape.shapes.cend(),
                    [](const PathShape &part) { return part.operation == PathOperation::Combine; });
    const LayerMask &mask = layer.mask.fromVector ? layer.realMask : layer.mask;
    const bool hiding = mask.present && !mask.disabled && mask.defaultColor == 0;
    // A mask without shapes leaves the document's bounds, whether it shows all or nothing.
    const bool full = shape.startsFull && !shape.shapes.empty();
    return !combined || shape.inverted || full || hiding;
}

void FillPattern(const LayerRecord &layer, const PsdHeader &header, Names &names)
{
    const PatternFill &fill = layer.patternFill;
    if (!fill.unread.empty())
        names.push_back(fill.unread);
    else if (!fill.pattern)
        names.push_back("pattern fills whose pattern is not read");
    else if (ColorMode(fill.pattern->mode) != header.colorMode)
        names.push_back("pattern fills of another colour mode");
    // An 8-bit pattern in a document that holds light would need its profile's curve.
    else if (header.depth == 32)
        names.push_back("pattern fills in 32 bits");
}

void FillGradient(const LayerRecord &layer, const PsdHeader &header, Names &names)
{
    const GradientFill &fill = layer.gradientFill;
    const Gradient gradient(fill.gradient, header.colorMode);
    if (!gradient.Unrendered().empty())
        names.push_back(gradient.Unrendered());
    else if (const std::string layout = UnrenderedLayout(fill); !layout.empty())
        names.push_back(layout);
    // A small picture shows a gradient at 30 degrees as one at 45: other angles keep a rule
    // not known here.
    else if (std::fmod(fill.angle, 90) != 0)
        names.push_back("gradient fills at angles other than right angles");
    else if (fill.alignWithLayer && AlignsWithUnknownBounds(layer))
        names.push_back("gradient fills aligned with a shape of several parts or with two masks");
}

} // namespace

// A fill saved without its pixels is drawn here from its colour and vector mask.
std::vector<std::string> UnrenderedFill(const LayerRecord &layer, const PsdHeader &header)
{
    Names names;
    const FillModel model = layer.solidFill.model;
    if (layer.gradientFill.present)
        FillGradient(layer, header, names);
    else if (layer.patternFill.present)
        FillPattern(layer, header, names);
    // An 8-bit writer renders fills: one without pixels shows all or nothing, unknown which.
    else if (model == FillModel::None || model == FillModel::Other || header.depth == 8)
        names.push_back("fill layers without rendered pixels");
    else if (model != ModelOf(header.colorMode))
        names.push_back("fill colours of another colour mode");
    if (!layer.shapeStyle.readable || layer.shapeStyle.strokeEnabled ||
        !layer.shapeStyle.fillEnabled)
        names.push_back("shape strokes");
    return names;
}
