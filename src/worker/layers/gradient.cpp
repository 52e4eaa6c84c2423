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

// An sRGB share as light, and back.
float Decoded(float value)
{
    return value <= 0.04045f ? value / 12.92f : std::pow((value + 0.055f) / 1.055f, 2.4f);
}

double Encoded(double light)
{
    light = std::clamp(light, 0.0, 1.0);
    return light <= 0.0031308 ? 12.92 * light : 1.055 * std::pow(light, 1 / 2.4) - 0.055;
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
// of the slopes to either side, or with `chords` at the slope of the line between those two.
// False where two stops share a place.
bool Gradient::Slopes(std::vector<Stop> &stops, bool chords)
{
    bool known = true;
    const auto slope = [&](std::size_t from, std::size_t to, std::size_t c) {
        const double span = stops[to].location - stops[from].location;
        known = known && span > 0;
        return span > 0 ? (stops[to].values[c] - stops[from].values[c]) / span : 0.0;
    };
    for (std::size_t i = 0; i < stops.size(); ++i) {
        Stop &stop = stops[i];
        stop.slopes.assign(stop.values.size(), 0.0);
        for (std::size_t c = 0; c < stop.values.size() && stops.size() > 1; ++c) {
            if (i == 0 || i + 1 == stops.size())
                stop.slopes[c] = slope(i == 0 ? 0 : i - 1, i == 0 ? 1 : i, c) / 2;
            else if (chords)
                stop.slopes[c] = slope(i - 1, i + 1, c);
            else
                stop.slopes[c] = (slope(i - 1, i, c) + slope(i, i + 1, c)) / 2;
        }
    }
    return known;
}

// Between stops spaced unevenly, how Photoshop weighs the slopes either side of a stop is not
// known: the mean stands where the chord would move no value by half a level of 8 bits.
bool Gradient::Settled(const std::vector<Stop> &stops, bool light)
{
    if (stops.empty())
        return true;
    std::vector<Stop> chords = stops;
    Slopes(chords, true);
    std::vector<float> mean(stops.front().values.size());
    std::vector<float> chord(mean.size());
    for (int step = 0; step <= 1024; ++step) {
        Between(stops, step / 1024.0, light, mean.data());
        Between(chords, step / 1024.0, light, chord.data());
        for (std::size_t c = 0; c < mean.size(); ++c) {
            if (std::abs(mean[c] - chord[c]) >= 0.5f / 255)
                return false;
        }
    }
    return true;
}

Gradient::Gradient(const GradientStops &stops, ColorMode mode)
    : m_channels(ColourChannels(mode)), m_linearLight(stops.linearLight), m_unrendered(stops.unread)
{
    if (m_unrendered.empty())
        AddColours(stops, mode);
    for (const GradientOpacityStop &stop : stops.opacities)
        m_opacities.push_back({stop.location, {float(stop.opacity)}, {}});
    m_evenlySpaced = Slopes(m_colours, false) && Slopes(m_opacities, false) &&
                     Settled(m_colours, m_linearLight) && Settled(m_opacities, false);
    if (m_unrendered.empty())
        m_unrendered = Unfaithful(stops, mode);
    if (!m_unrendered.empty())
        return;
    const auto width = std::size_t(m_channels) + 1;
    m_table.resize((TableSteps + 1) * width);
    for (std::size_t step = 0; step <= TableSteps; ++step) {
        float *values = m_table.data() + step * width;
        Between(m_colours, double(step) / TableSteps, m_linearLight, values);
        Between(m_opacities, double(step) / TableSteps, false, values + m_channels);
    }
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
    // Light as the sRGB curve has it: the document's own curve is not at hand.
    if (m_linearLight && mode != ColorMode::Rgb)
        return "gradients interpolated in linear light outside RGB";
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
        if (m_linearLight)
            std::transform(values->cbegin(), values->cend(), values->begin(), Decoded);
        m_colours.push_back({stop.location, std::move(*values), {}});
    }
}

// Straight between the table's places, which lie closer than the stops' own can.
void Gradient::At(double position, float *pixel) const
{
    const double place = std::clamp(position, 0.0, 1.0) * TableSteps;
    const std::size_t step = std::min(std::size_t(place), TableSteps - 1);
    const auto share = float(place - double(step));
    const auto width = std::size_t(m_channels) + 1;
    const float *from = m_table.data() + step * width;
    for (std::size_t c = 0; c < width; ++c)
        pixel[c] = from[c] + (from[c + width] - from[c]) * share;
}

void Gradient::Between(const std::vector<Stop> &stops, double position, bool light, float *out)
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
        out[c] = float(light ? Encoded(value) : std::clamp(value, 0.0, 1.0));
    }
}
