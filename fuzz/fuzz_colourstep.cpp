// The colour step over samples of any value (NaN and infinities among the floats), in every
// layout, with a profile of any bytes, exact or through the grid.
#include "colourinput.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzBytes input(data, size);
    const ColourInput colour = ColourInput::Read(input);
    const SampleLayout &layout = colour.layout;
    const std::size_t pixelBytes = layout.PixelBytes();
    const std::size_t pixels = input.RestSize() / pixelBytes;
    // Samples in memory as the decoders hand them over: aligned for their type.
    std::vector<float> samples((pixels * pixelBytes + 3) / 4);
    std::copy_n(input.Rest(), pixels * pixelBytes,
                reinterpret_cast<std::uint8_t *>(samples.data()));
    const ColourStep step(layout, colour.profile, colour.blendOnWhite, colour.whiteWhereClear,
                          colour.gridded ? 100'000'000 : pixels);
    std::vector<std::uint8_t> rgb(3 * pixels);
    step.ToSrgb8(samples.data(), pixels, rgb.data());
    return 0;
}
