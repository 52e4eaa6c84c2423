#include "worker/stream/bandstojpeg.h"

#include "worker/colourplan.h"
#include "worker/stream/jpegrows.h"

#include <algorithm>
#include <vector>

namespace
{

// Large enough that a band is read in long runs, small enough to stay a few MiB at any width.
constexpr std::size_t BandBytes = std::size_t(4) << 20;

} // namespace

std::uint32_t BandRows(std::size_t rowBytes)
{
    return std::uint32_t(std::clamp<std::size_t>(BandBytes / rowBytes, 1, 1024));
}

Result<Decoded> BandsToJpeg(const std::string &jpegPath, std::uint32_t width, std::uint32_t height,
                            std::size_t pixelBytes, const ColourStep &step, bool asIs,
                            const BandSource &source, const std::string &decoder)
{
    const std::size_t rowBytes = std::size_t(width) * pixelBytes;
    const std::uint32_t bandRows = BandRows(rowBytes);
    std::vector<unsigned char> samples(rowBytes * bandRows);
    std::vector<std::uint8_t> rgb(asIs ? 0 : std::size_t(width) * 3 * bandRows);
    JpegRows jpeg(jpegPath, width, height);
    for (std::uint32_t y = 0; y < height; y += bandRows) {
        const std::uint32_t rows = std::min(bandRows, height - y);
        if (const Result<> band = source(y, rows, samples.data()); !band)
            return band.Why();
        if (!asIs)
            step.ToSrgb8(samples.data(), std::size_t(width) * rows, rgb.data());
        if (!jpeg.Write(asIs ? samples.data() : rgb.data(), rows))
            return Failure{wire::Status::Unwritable, jpeg.Failure()};
    }
    if (!jpeg.Finish())
        return Failure{wire::Status::Unwritable, jpeg.Failure()};
    return DecodedBy(step).NamedBy(decoder);
}
