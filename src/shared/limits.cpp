#include "shared/limits.h"

#include <algorithm>

std::string TooLargeToRead(const PsdHeader &header)
{
    const std::uint32_t maxSide = header.version == 2 ? MaxJpegSide : MaxSidePsd;
    if (header.width > maxSide)
        return "width " + std::to_string(header.width) + " pixels, more than " +
               std::to_string(maxSide);
    if (header.height > maxSide)
        return "height " + std::to_string(header.height) + " pixels, more than " +
               std::to_string(maxSide);
    if (header.channels > MaxChannels)
        return std::to_string(header.channels) + " channels, more than " +
               std::to_string(MaxChannels);
    if (header.depth > MaxDepth)
        return std::to_string(header.depth) + " bits a sample, more than " +
               std::to_string(MaxDepth);
    return "";
}

std::string TooLargeToHold(const PsdHeader &header)
{
    // Named in the file's channels, or as 8-bit RGB where that is what goes past the limit.
    const std::uint64_t decoded = DecodedSizeEstimate(header);
    const std::uint64_t rgb = SaturatingProduct(SaturatingProduct(header.width, header.height), 3);
    if (decoded < MaxDecodedSize && rgb < MaxDecodedSize)
        return "";
    const bool asRgb = decoded < MaxDecodedSize;
    return "decoded size " + std::to_string(std::max(decoded, rgb) >> 20) + " MiB (" +
           PixelsText(header) + ", " +
           (asRgb ? "as 8-bit RGB"
                  : std::to_string(header.channels) + " channels of " +
                        std::to_string(header.depth) + " bits") +
           "), " + std::to_string(MaxDecodedSize >> 30) + " GiB or more";
}

std::uint64_t DevilBytes(const PsdHeader &header)
{
    const std::uint64_t pixels = SaturatingProduct(header.width, header.height);
    return SaturatingProduct(SaturatingProduct(pixels, std::uint64_t(header.depth / 8)),
                             std::uint64_t(std::min(header.channels, 4) + 1));
}

bool BeyondMagick(const PsdHeader &header)
{
    return header.width > MagickMaxSide || header.height > MagickMaxSide ||
           std::uint64_t(header.width) * header.height > MagickMaxArea;
}

bool ReaderTakesShape(const PsdHeader &header)
{
    const bool mode = header.colorMode == Grayscale || header.colorMode == Rgb ||
                      header.colorMode == Cmyk || header.colorMode == Lab;
    const bool depth = header.depth == 8 || header.depth == 16 || header.depth == 32;
    return mode && depth && header.channels >= ColourChannels(header.colorMode);
}

bool BeyondTheDecoders(const PsdHeader &header)
{
    // Only what the reader takes: DevIL tries the rest whatever its size.
    return !TooLargeToHold(header).empty() ||
           (ReaderTakesShape(header) && DevilBytes(header) > DevilBudget && BeyondMagick(header));
}

std::string TooLargeForMagick(const PsdHeader &header, bool rebuild)
{
    const std::string what =
        PixelsText(header) + (rebuild ? " to rebuild from layers" : " for ImageMagick");
    if (!BeyondMagick(header))
        return "";
    if (header.width > MagickMaxSide || header.height > MagickMaxSide)
        return what + ", more than " + std::to_string(MagickMaxSide) + " a side";
    return what + ", more than " + std::to_string(MagickMaxArea >> 20) + " megapixels";
}
