#include "worker/layers/gradientfill.h"

#include "shared/psd/layerrecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{

// The bounds of a vector mask's curves, each followed in small steps, in pixels.
GradientBox PathBounds(const VectorMask &mask, double width, double height)
{
    double left = width, top = height, right = 0, bottom = 0;
    const auto add = [&](double x, double y) {
        left = std::min(left, x * width);
        right = std::max(right, x * width);
        top = std::min(top, y * height);
        bottom = std::max(bottom, y * height);
    };
    for (const PathShape &shape : mask.shapes) {
        for (const Subpath &subpath : shape.subpaths) {
            const std::size_t count = subpath.knots.size();
            for (std::size_t i = 0; i < count; ++i) {
                const PathKnot &from = subpath.knots[i];
                const PathKnot &to = subpath.knots[(i + 1) % count];
                for (int step = 0; step <= 32; ++step) {
                    const double u = step / 32.0;
                    const double v = 1 - u;
                    const auto at = [&](double a, double b, double c, double d) {
                        return v * v * v * a + 3 * v * v * u * b + 3 * v * u * u * c +
                               u * u * u * d;
                    };
                    add(at(from.anchor.x, from.after.x, to.before.x, to.anchor.x),
                        at(from.anchor.y, from.after.y, to.before.y, to.anchor.y));
                }
            }
        }
    }
    return right > left ? GradientBox{left, top, right - left, bottom - top}
                        : GradientBox{0, 0, width, height};
}

GradientBox BoxOf(const LayerRect &r)
{
    return GradientBox{double(r.left), double(r.top), double(r.Width()), double(r.Height())};
}

} // namespace

GradientBox GradientBoxOf(const LayerRecord &layer, std::int64_t width, std::int64_t height)
{
    const LayerMask &mask = layer.mask.fromVector ? layer.realMask : layer.mask;
    const GradientBox document{0, 0, double(width), double(height)};
    if (!layer.gradientFill.alignWithLayer)
        return document;
    if (layer.vectorMask.present && !layer.vectorMask.disabled)
        return PathBounds(layer.vectorMask, double(width), double(height));
    if (!mask.present || mask.disabled || mask.defaultColor != 0 || mask.rect.IsEmpty())
        return document;
    return BoxOf(mask.rect);
}

GradientBox OverlayBoxOf(const LayerRecord &layer, const GradientFill &overlay, std::int64_t width,
                         std::int64_t height)
{
    if (!overlay.alignWithLayer || layer.FillsWithoutPixels())
        return overlay.alignWithLayer ? GradientBoxOf(layer, width, height)
                                      : GradientBox{0, 0, double(width), double(height)};
    return BoxOf(layer.rect);
}

GradientFillRows::GradientFillRows(const GradientFill &fill, ColorMode mode, const GradientBox &box)
    : m_fill(fill), m_gradient(fill.gradient, mode),
      m_centreX(box.left + box.width * (0.5 + fill.offsetX)),
      m_centreY(box.top + box.height * (0.5 + fill.offsetY)),
      m_cos(std::cos(fill.angle * std::numbers::pi / 180)),
      m_sin(std::sin(fill.angle * std::numbers::pi / 180))
{
    // The box seen along the angle: its projection is the whole gradient's length.
    const double across = std::abs(box.width * m_cos) + std::abs(box.height * m_sin);
    const bool fromCentre = fill.shape != GradientShape::Linear;
    m_length = std::max(across * fill.scale * (fromCentre ? 0.5 : 1.0), 1e-9);
}

std::string UnrenderedLayout(const GradientFill &fill)
{
    if (fill.shape != GradientShape::Linear && fill.shape != GradientShape::Reflected)
        return "radial, angle and diamond gradients";
    if (fill.offsetX != 0 || fill.offsetY != 0)
        return "gradients moved off their centre";
    return "";
}

double GradientFillRows::Position(double x, double y) const
{
    // Along the angle and across it, y pointing up as angles are measured.
    const double dx = x - m_centreX;
    const double dy = m_centreY - y;
    const double along = dx * m_cos + dy * m_sin;
    const double across = dy * m_cos - dx * m_sin;
    double t = 0;
    switch (m_fill.shape) {
    case GradientShape::Linear:
        t = along / m_length + 0.5;
        break;
    case GradientShape::Reflected:
        t = std::abs(along) / m_length;
        break;
    case GradientShape::Radial:
        t = std::hypot(along, across) / m_length;
        break;
    case GradientShape::Diamond:
        t = (std::abs(along) + std::abs(across)) / m_length;
        break;
    case GradientShape::Angle:
        t = std::atan2(across, along) / (2 * std::numbers::pi);
        t -= std::floor(t);
        break;
    }
    t = std::clamp(t, 0.0, 1.0);
    return m_fill.reverse ? 1 - t : t;
}

void GradientFillRows::Row(std::int64_t y, std::int64_t left, std::int64_t width, float *pixels,
                           int stride) const
{
    for (std::int64_t x = 0; x < width; ++x)
        m_gradient.At(Position(double(left + x), double(y)), pixels + x * stride);
}
