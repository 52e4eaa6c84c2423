#include "worker/decoders/srgbpaint.h"

#include <IL/il.h>

Result<Decoded> PaintSrgb(const ColourStep &step, std::uint32_t width, std::uint32_t height,
                          const SampleRows &rows)
{
    if (!ilTexImage(ILuint(width), ILuint(height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE, nullptr))
        return Failure{wire::Status::Unreadable, "out of memory"};
    ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
    ILubyte *rgb = ilGetData();
    for (std::uint32_t y = 0; y < height; ++y)
        step.ToSrgb8(rows(y), width, rgb + std::size_t(y) * width * 3);
    return DecodedBy(step);
}
