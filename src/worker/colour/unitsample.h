#pragma once

#include <cstdint>
#include <cstring>

// The one rule for a float on its way through the colour step, whatever it holds: NaN counts as
// 0, and a value beyond the range as its nearest end, so that no later step meets a value it
// cannot place (NaN passes any clamp, and makes no index).
inline float Share(float value)
{
    return value > 0 ? (value < 1 ? value : 1) : 0;
}

// A stored sample (8: uint8, 16: uint16, 32: float, native byte order) as a share of the
// largest value its depth can store; float samples are that share already, by the rule above.
inline float UnitSample(const unsigned char *pixel, int channel, int depth)
{
    if (depth == 8)
        return float(pixel[channel]) / 255.0f;
    if (depth == 16) {
        std::uint16_t value = 0;
        std::memcpy(&value, pixel + 2 * channel, 2);
        return float(value) / 65535.0f;
    }
    float value = 0;
    std::memcpy(&value, pixel + 4 * channel, 4);
    return Share(value);
}
