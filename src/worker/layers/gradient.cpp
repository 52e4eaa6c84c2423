#include "worker/layers/gradient.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace
{

// Hue, saturation and brightness shares as red, green and blue ones.
std::vector<float> RgbOfHsb(const std::vector<float> &hsb)
{
    const double h = std::fmod(double(hsb[0]) * 6, 6.0);
    const double s = hsb[1];
    const double v = hsb[2];
    const double f = h - std::floor(h);
    const auto p = float(v * (1 - s));
    const auto q = float(v * (1 - s * f));
    const auto t = float(v * (1 - s * (1 - f)));
    const auto b = float(v);
    switch (int(h)) {
    case 0:
        return {b, t, p};
    case 1:
        return {q, b, p};
    case 2:
        return {p, b, t};
    case 3:
        return {p, q, b};
    case 4:
        return {t, p, b};
    default:
        return {b, p, q};
    }
}

// The stop's colour in the document's mode where it converts exactly.
std::optional<std::vector<float>> InMode(const SolidColour &colour, ColorMode mode)
{
    const bool same = (colour.model == FillModel::Rgb && mode == ColorMode::Rgb) ||
                      (colour.model == FillModel::Grayscale && mode == ColorMode::Grayscale) ||
                      (colour.model == FillModel::Cmyk && mode == ColorMode::Cmyk);
    if (same)
        return colour.shares;
    if (colour.model == FillModel::Hsb && mode == ColorMode::Rgb)
        return RgbOfHsb(colour.shares);
    return std::nullopt;
}

// A value on the cubic from p0 to p1 leaving and reaching them at slopes m0 and m1 (per unit
// of u, which runs from 0 to 1).
double Hermite(double u, double p0, double p1, double m0, double m1)
{
    const double v = 1 - u;
    return (1 + 2 * u) * v * v * p0 + u * v * v * m0 + u * u * (3 - 2 * u) * p1 - u * u * v * m1;
}

} // namespace

// Full smoothness: a cubic through the stops, leaving and reaching an end stop at half the
// slope of the straight line to its neighbour, and passing one between two others at the mean
// of the slopes to either side. False where those sides differ in length and the choice of
// weighing them matters: Photoshop's is not known.
bool Gradient::Slopes(std::vector<Stop> &stops)
{
    bool known = true;
    const auto secant = [&](std::size_t i, std::size_t c) {
        const double span = stops[i + 1].location - stops[i].location;
        known = known && span > 0;
        return span > 0 ? (stops[i + 1].values[c] - stops[i].values[c]) / span : 0.0;
    };
    for (std::size_t i = 0; i < stops.size(); ++i) {
        Stop &stop = stops[i];
        stop.slopes.assign(stop.values.size(), 0.0);
        for (std::size_t c = 0; c < stop.values.size() && stops.size() > 1; ++c) {
            if (i == 0 || i + 1 == stops.size()) {
                stop.slopes[c] = secant(i == 0 ? 0 : i - 1, c) / 2;
                continue;
            }
            stop.slopes[c] = (secant(i - 1, c) + secant(i, c)) / 2;
            const double chord = (stops[i + 1].values[c] - stops[i - 1].values[c]) /
                                 (stops[i + 1].location - stops[i - 1].location);
            known = known && std::abs(chord - stop.slopes[c]) < 1e-3;
        }
    }
    return known;
}

Gradient::Gradient(const GradientStops &stops, ColorMode mode)
    : m_channels(ColourChannels(mode)), m_unrendered(stops.unread)
{
    if (m_unrendered.empty())
        AddColours(stops, mode);
    for (const GradientOpacityStop &stop : stops.opacities)
        m_opacities.push_back({stop.location, {float(stop.opacity)}, {}});
    m_evenlySpaced = Slopes(m_colours) && Slopes(m_opacities);
    if (m_unrendered.empty())
        m_unrendered = Unfaithful(stops, mode);
}

std::string Gradient::Unfaithful(const GradientStops &stops, ColorMode mode) const
{
    const auto midway = [](const auto &stop) { return std::abs(stop.midpoint - 0.5) > 1e-6; };
    const auto differs = [&](const Stop &stop) { return stop.values != m_colours[0].values; };
    if (m_colours.empty() || m_opacities.empty())
        return "gradients without stops";
    if (std::any_of(stops.colours.cbegin(), stops.colours.cend(), midway) ||
        std::any_of(stops.opacities.cbegin(), stops.opacities.cend(), midway))
        return "gradient midpoints away from halfway";
    if (stops.smoothness < 1)
        return "gradient smoothness below 100%";
    if (!m_evenlySpaced)
        return "gradient stops spaced unevenly";
    // Grey and CMYK gradients are blended in another colour space than the document's.
    if (mode != ColorMode::Rgb && std::any_of(m_colours.cbegin(), m_colours.cend(), differs))
        return "gradients between colours outside RGB";
    return "";
}

void Gradient::AddColours(const GradientStops &stops, ColorMode mode)
{
    for (const GradientColourStop &stop : stops.colours) {
        std::optional<std::vector<float>> values = InMode(stop.colour, mode);
        if (!values || values->size() != std::size_t(m_channels)) {
            m_unrendered = "gradient colours of another colour mode";
            return;
        }
        m_colours.push_back({stop.location, std::move(*values), {}});
    }
}

void Gradient::At(double position, float *pixel) const
{
    Between(m_colours, position, pixel);
    Between(m_opacities, position, pixel + m_channels);
}

void Gradient::Between(const std::vector<Stop> &stops, double position, float *out)
{
    const auto next =
        std::upper_bound(stops.cbegin(), stops.cend(), position,
                         [](double at, const Stop &stop) { return at < stop.location; });
    const Stop &to = next == stops.cend() ? stops.back() : *next;
    const Stop &from = next == stops.cbegin() ? stops.front() : *(next - 1);
    const double span = to.location - from.location;
    const double u = span > 0 ? (position - from.location) / span : 0;
    for (std::size_t c = 0; c < from.values.size(); ++c) {
        const double value =
            Hermite(u, from.values[c], to.values[c], from.slopes[c] * span, to.slopes[c] * span);
        out[c] = float(std::clamp(value, 0.0, 1.0));
    }
}
