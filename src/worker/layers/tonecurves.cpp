#include "worker/layers/tonecurves.h"

#include <algorithm>
#include <cmath>

namespace
{

double LevelsAt(const LevelsChannel &levels, double x)
{
    const double floor = levels.inputFloor / 255.0;
    const double ceiling = levels.inputCeiling / 255.0;
    const double t =
        std::pow(std::clamp((x - floor) / (ceiling - floor), 0.0, 1.0), 1 / levels.gamma);
    return (levels.outputFloor + t * (levels.outputCeiling - levels.outputFloor)) / 255.0;
}

// Each channel's own setting first, then the composite's.
template <typename Channel, typename At>
std::vector<ToneCurve> PerChannel(const std::vector<Channel> &channels, int colours, At at)
{
    std::vector<ToneCurve> curves;
    for (int c = 0; c < colours; ++c) {
        const Channel own = channels[std::size_t(c) + 1];
        const Channel all = channels[0];
        curves.push_back([=](double x) { return at(all, at(own, x)); });
    }
    return curves;
}

using Knots = std::vector<std::array<int, 2>>;

// The knots of a curve joined by a natural cubic spline, flat beyond the first and the last;
// without knots, the curve that changes nothing.
class Spline
{
public:
    explicit Spline(const Knots &knots);
    double At(double x) const; // on shares of the range

private:
    Knots m_knots;
    std::vector<double> m_second; // derivatives at the knots, zero at both ends
};

// The second derivatives by the tridiagonal sweep, once for all the levels asked for.
Spline::Spline(const Knots &knots) : m_knots(knots), m_second(knots.size(), 0.0)
{
    const std::size_t n = knots.size();
    std::vector<double> carry(n, 0.0);
    const auto x0 = [&](std::size_t i) { return double(knots[i][0]); };
    const auto y0 = [&](std::size_t i) { return double(knots[i][1]); };
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double share = (x0(i) - x0(i - 1)) / (x0(i + 1) - x0(i - 1));
        const double pivot = share * m_second[i - 1] + 2;
        const double bend =
            (y0(i + 1) - y0(i)) / (x0(i + 1) - x0(i)) - (y0(i) - y0(i - 1)) / (x0(i) - x0(i - 1));
        m_second[i] = (share - 1) / pivot;
        carry[i] = (6 * bend / (x0(i + 1) - x0(i - 1)) - share * carry[i - 1]) / pivot;
    }
    for (std::size_t i = n; i >= 2; --i)
        m_second[i - 2] = m_second[i - 2] * m_second[i - 1] + carry[i - 2];
}

double Spline::At(double share) const
{
    if (m_knots.empty())
        return share;
    const double x = share * 255;
    if (x <= m_knots.front()[0])
        return m_knots.front()[1] / 255.0;
    if (x >= m_knots.back()[0])
        return m_knots.back()[1] / 255.0;
    std::size_t k = 1;
    while (m_knots[k][0] < x)
        ++k;
    const double h = m_knots[k][0] - m_knots[k - 1][0];
    const double a = (m_knots[k][0] - x) / h;
    const double b = 1 - a;
    const double y =
        a * m_knots[k - 1][1] + b * m_knots[k][1] +
        ((a * a * a - a) * m_second[k - 1] + (b * b * b - b) * m_second[k]) * h * h / 6;
    return std::clamp(y / 255, 0.0, 1.0);
}

std::vector<ToneCurve> Uniform(int colours, const ToneCurve &curve)
{
    return std::vector<ToneCurve>(std::size_t(colours), curve);
}

// In linear light: 32-bit samples are, 8- and 16-bit ones are taken to gamma 2.2 and back.
ToneCurve ExposureCurve(const ExposureSettings &e, int depth)
{
    // Below black, gamma works on the value as if it were above, and keeps its sign.
    if (depth == 32)
        return [e](double x) {
            const double linear = x * std::exp2(e.exposure) + e.offset;
            return std::copysign(std::pow(std::abs(linear), 1 / e.gamma), linear);
        };
    return [e](double x) {
        const double linear = std::pow(x, 2.2) * std::exp2(e.exposure) + e.offset;
        return std::pow(std::clamp(linear, 0.0, 1.0), 1 / (2.2 * e.gamma));
    };
}

// Settings of the kinds not rendered otherwise that change nothing.
bool LeavesAsIs(const AdjustmentSettings &settings)
{
    if (const auto *brightness = std::get_if<BrightnessContrastSettings>(&settings))
        return brightness->brightness == 0 && brightness->contrast == 0;
    const auto *hue = std::get_if<HueSaturationSettings>(&settings);
    if (hue == nullptr || hue->colourise || hue->master != std::array<int, 3>{})
        return false;
    return std::all_of(hue->ranges.begin(), hue->ranges.end(),
                       [](const HueRange &range) { return range.shift == std::array<int, 3>{}; });
}

} // namespace

std::vector<ToneCurve> ToneCurves(const AdjustmentSettings &settings, int colours, int depth)
{
    if (const auto *exposure = std::get_if<ExposureSettings>(&settings))
        return Uniform(colours, ExposureCurve(*exposure, depth));
    if (depth == 32)
        return {};
    if (const auto *levels = std::get_if<LevelsSettings>(&settings))
        return PerChannel(levels->channels, colours, LevelsAt);
    if (const auto *curves = std::get_if<CurvesSettings>(&settings))
        return PerChannel(std::vector<Spline>(curves->channels.begin(), curves->channels.end()),
                          colours, [](const Spline &curve, double x) { return curve.At(x); });
    if (std::holds_alternative<InvertSettings>(settings))
        return Uniform(colours, [](double x) { return 1 - x; });
    if (const auto *posterize = std::get_if<PosterizeSettings>(&settings)) {
        const int steps = posterize->levels;
        return Uniform(colours, [steps](double x) {
            return std::min(std::floor(x * steps), steps - 1.0) / (steps - 1);
        });
    }
    // Outside grey the threshold is of a luminance taken through the colour profile.
    const auto *threshold = std::get_if<ThresholdSettings>(&settings);
    if (threshold && colours == 1) {
        const double level = threshold->level / 255.0;
        return Uniform(colours, [level](double x) { return x >= level ? 1.0 : 0.0; });
    }
    if (LeavesAsIs(settings))
        return Uniform(colours, [](double x) { return x; });
    return {};
}
