#include "worker/layers/blendmode.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{

const std::pair<const char *, BlendMode> Keys[] = {
    {"norm", BlendMode::Normal},      {"mul ", BlendMode::Multiply},
    {"scrn", BlendMode::Screen},      {"over", BlendMode::Overlay},
    {"dark", BlendMode::Darken},      {"lite", BlendMode::Lighten},
    {"div ", BlendMode::ColorDodge},  {"idiv", BlendMode::ColorBurn},
    {"lddg", BlendMode::LinearDodge}, {"lbrn", BlendMode::LinearBurn},
    {"hLit", BlendMode::HardLight},   {"sLit", BlendMode::SoftLight},
    {"vLit", BlendMode::VividLight},  {"lLit", BlendMode::LinearLight},
    {"pLit", BlendMode::PinLight},    {"hMix", BlendMode::HardMix},
    {"diff", BlendMode::Difference},  {"smud", BlendMode::Exclusion},
    {"fsub", BlendMode::Subtract},    {"fdiv", BlendMode::Divide},
    {"hue ", BlendMode::Hue},         {"sat ", BlendMode::Saturation},
    {"colr", BlendMode::Color},       {"lum ", BlendMode::Luminosity},
    {"dkCl", BlendMode::DarkerColor}, {"lgCl", BlendMode::LighterColor},
};

float Clamp(float value)
{
    return std::clamp(value, 0.0f, 1.0f);
}

float Dodge(float b, float s)
{
    return b <= 0 ? 0 : s >= 1 ? 1 : std::min(1.0f, b / (1 - s));
}

float Burn(float b, float s)
{
    return b >= 1 ? 1 : s <= 0 ? 0 : 1 - std::min(1.0f, (1 - b) / s);
}

float Screen(float b, float s)
{
    return b + s - b * s;
}

float HardLight(float b, float s)
{
    return s <= 0.5f ? b * 2 * s : Screen(b, 2 * s - 1);
}

float SoftLight(float b, float s)
{
    return s <= 0.5f ? b - (1 - 2 * s) * b * (1 - b) : b + (2 * s - 1) * (std::sqrt(b) - b);
}

float VividLight(float b, float s)
{
    return s <= 0.5f ? Burn(b, 2 * s) : Dodge(b, 2 * s - 1);
}

float PinLight(float b, float s)
{
    return s <= 0.5f ? std::min(b, 2 * s) : std::max(b, 2 * s - 1);
}

float Divide(float b, float s)
{
    return s <= 0 ? (b <= 0 ? 0 : 1) : std::min(1.0f, b / s);
}

template <typename Mix>
void Separable(Mix mix, const float *b, const float *s, float *r, std::size_t pixels, int channels,
               int stride)
{
    for (std::size_t i = 0; i < pixels; ++i, b += stride, s += stride, r += stride) {
        for (int c = 0; c < channels; ++c)
            r[c] = mix(b[c], s[c]);
    }
}

float Lum(const float *c)
{
    return 0.3f * c[0] + 0.59f * c[1] + 0.11f * c[2];
}

// The colour moved to luminosity `l`, and brought back into range about it.
void SetLum(const float *c, float l, float *r)
{
    const float d = l - Lum(c);
    for (int i = 0; i < 3; ++i)
        r[i] = c[i] + d;
    const float lum = Lum(r);
    const float low = std::min({r[0], r[1], r[2]});
    const float high = std::max({r[0], r[1], r[2]});
    for (int i = 0; i < 3; ++i) {
        if (low < 0)
            r[i] = lum + (r[i] - lum) * lum / (lum - low);
        if (high > 1)
            r[i] = lum + (r[i] - lum) * (1 - lum) / (high - lum);
    }
}

float Sat(const float *c)
{
    return std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]});
}

void SetSat(const float *c, float sat, float *r)
{
    const float low = std::min({c[0], c[1], c[2]});
    const float range = Sat(c);
    for (int i = 0; i < 3; ++i)
        r[i] = range > 0 ? (c[i] - low) * sat / range : 0;
}

void NonSeparable(BlendMode mode, const float *b, const float *s, float *r)
{
    float t[3];
    switch (mode) {
    case BlendMode::Hue:
        SetSat(s, Sat(b), t);
        SetLum(t, Lum(b), r);
        break;
    case BlendMode::Saturation:
        SetSat(b, Sat(s), t);
        SetLum(t, Lum(b), r);
        break;
    case BlendMode::Color:
        SetLum(s, Lum(b), r);
        break;
    case BlendMode::Luminosity:
        SetLum(b, Lum(s), r);
        break;
    default: {
        const bool darker = mode == BlendMode::DarkerColor;
        const float *pick = (Lum(s) < Lum(b)) == darker ? s : b;
        std::copy_n(pick, 3, r);
    }
    }
}

} // namespace

std::optional<BlendMode> BlendModeOf(const std::string &key)
{
    for (const auto &[name, mode] : Keys) {
        if (key == name)
            return mode;
    }
    return std::nullopt;
}

bool IsNonSeparable(BlendMode mode)
{
    return mode >= BlendMode::Hue;
}

bool TreatsFillApart(BlendMode mode)
{
    switch (mode) {
    case BlendMode::ColorBurn:
    case BlendMode::LinearBurn:
    case BlendMode::ColorDodge:
    case BlendMode::LinearDodge:
    case BlendMode::VividLight:
    case BlendMode::LinearLight:
    case BlendMode::HardMix:
    case BlendMode::Difference:
        return true;
    default:
        return false;
    }
}

bool WorksInLinearLight(BlendMode mode)
{
    switch (mode) {
    case BlendMode::Normal:
    case BlendMode::Multiply:
    case BlendMode::Darken:
    case BlendMode::Lighten:
    case BlendMode::Difference:
        return true;
    default:
        return false;
    }
}

void BlendColours(BlendMode mode, const float *b, const float *s, float *r, std::size_t pixels,
                  int channels, int stride)
{
    const auto run = [&](auto mix) { Separable(mix, b, s, r, pixels, channels, stride); };
    switch (mode) {
    case BlendMode::Normal:
        return run([](float, float y) { return y; });
    case BlendMode::Multiply:
        return run([](float x, float y) { return x * y; });
    case BlendMode::Screen:
        return run(Screen);
    case BlendMode::Overlay:
        return run([](float x, float y) { return HardLight(y, x); });
    case BlendMode::Darken:
        return run([](float x, float y) { return std::min(x, y); });
    case BlendMode::Lighten:
        return run([](float x, float y) { return std::max(x, y); });
    case BlendMode::ColorDodge:
        return run(Dodge);
    case BlendMode::ColorBurn:
        return run(Burn);
    case BlendMode::LinearDodge:
        return run([](float x, float y) { return Clamp(x + y); });
    case BlendMode::LinearBurn:
        return run([](float x, float y) { return Clamp(x + y - 1); });
    case BlendMode::HardLight:
        return run(HardLight);
    case BlendMode::SoftLight:
        return run(SoftLight);
    case BlendMode::VividLight:
        return run(VividLight);
    case BlendMode::LinearLight:
        return run([](float x, float y) { return Clamp(x + 2 * y - 1); });
    case BlendMode::PinLight:
        return run(PinLight);
    case BlendMode::HardMix:
        return run([](float x, float y) { return x + y >= 1 ? 1.0f : 0.0f; });
    case BlendMode::Difference:
        return run([](float x, float y) { return std::abs(x - y); });
    case BlendMode::Exclusion:
        return run([](float x, float y) { return x + y - 2 * x * y; });
    case BlendMode::Subtract:
        return run([](float x, float y) { return std::max(0.0f, x - y); });
    case BlendMode::Divide:
        return run(Divide);
    default:
        for (std::size_t i = 0; i < pixels; ++i, b += stride, s += stride, r += stride)
            NonSeparable(mode, b, s, r);
    }
}
