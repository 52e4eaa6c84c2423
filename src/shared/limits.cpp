#include "shared/limits.h"

#include <algorithm>
#include <string>

namespace
{

Result<> TooLarge(const std::string &what)
{
    return Failure{wire::Status::TooLarge, what};
}

bool BeyondMagick(const PsdHeader &header)
{
    return header.width > MagickMaxSide || header.height > MagickMaxSide ||
           std::uint64_t(header.width) * header.height > MagickMaxArea;
}

} // namespace

Result<> CheckSizeToRead(const PsdHeader &header)
{
    const std::uint32_t maxSide = header.version == PsdVersion::Psb ? MaxJpegSide : MaxSidePsd;
    if (header.width > maxSide)
        return TooLarge("width " + std::to_string(header.width) + " pixels, more than " +
                        std::to_string(maxSide));
    if (header.height > maxSide)
        return TooLarge("height " + std::to_string(header.height) + " pixels, more than " +
                        std::to_string(maxSide));
    if (header.channels > MaxChannels)
        return TooLarge(std::to_string(header.channels) + " channels, more than " +
                        std::to_string(MaxChannels));
    if (header.depth > MaxDepth)
        return TooLarge(std::to_string(header.depth) + " bits a sample, more than " +
                        std::to_string(MaxDepth));
    return Done{};
}

Result<> CheckSizeToHold(const PsdHeader &header)
{
    // Named in the file's channels, or as 8-bit RGB where that is what goes past the limit.
    const std::uint64_t decoded = DecodedSizeEstimate(header);
    const std::uint64_t rgb = SaturatingProduct(SaturatingProduct(header.width, header.height), 3);
    if (decoded < MaxDecodedSize && rgb < MaxDecodedSize)
        return Done{};
    const bool asRgb = decoded < MaxDecodedSize;
    return TooLarge("decoded size " + std::to_string(std::max(decoded, rgb) >> 20) + " MiB (" +
                    PixelsText(header) + ", " +
                    (asRgb ? "as 8-bit RGB"
                           : std::to_string(header.channels) + " channels of " +
                                 std::to_string(header.depth) + " bits") +
                    "), " + std::to_string(MaxDecodedSize >> 30) + " GiB or more");
}

std::uint64_t DevilBytes(const PsdHeader &header)
{
    const std::uint64_t pixels = SaturatingProduct(header.width, header.height);
    return SaturatingProduct(SaturatingProduct(pixels, BytesPerSample(header.depth)),
                             std::uint64_t(std::min(header.channels, 4) + 1));
}

bool ReaderTakesShape(const PsdHeader &header)
{
    const ColorMode mode = header.colorMode;
    const bool known = mode == ColorMode::Grayscale || mode == ColorMode::Rgb ||
                       mode == ColorMode::Cmyk || mode == ColorMode::Lab;
    const bool depth = header.depth == 8 || header.depth == 16 || header.depth == 32;
    return known && depth && header.channels >= ColourChannels(mode);
}

bool BeyondTheDecoders(const PsdHeader &header)
{
    // Only what the reader takes: DevIL tries the rest whatever its size.
    return !CheckSizeToHold(header) ||
           (ReaderTakesShape(header) && DevilBytes(header) > DevilBudget && BeyondMagick(header));
}

Result<> CheckSizeForMagick(const PsdHeader &header)
{
    if (!BeyondMagick(header))
        return Done{};
    const std::string what = PixelsText(header) + " for ImageMagick";
    if (header.width > MagickMaxSide || header.height > MagickMaxSide)
        return TooLarge(what + ", more than " + std::to_string(MagickMaxSide) + " a side");
    return TooLarge(what + ", more than " + std::to_string(MagickMaxArea >> 20) + " megapixels");
}
