#include "decodeplan.h"

#include "psdheader.h"

namespace
{

// libjpeg's limit; DevIL calls exit() past it.
constexpr std::uint32_t MaxJpegSide = 65'500;

enum ColorMode { Grayscale = 1, Indexed = 2, Rgb = 3, Cmyk = 4 };

bool IsFromPhotoshop(const PsdContents &contents)
{
    return contents.writer.starts_with("Adobe Photoshop");
}

// What DevIL 1.7.8 cannot read, or reads wrong.
bool DevilFallsShort(const PsdHeader &header, const PsdContents &contents)
{
    if (header.version == 2 || (header.depth != 8 && header.depth != 16))
        return true;
    if (header.colorMode != Grayscale && header.colorMode != Indexed && header.colorMode != Rgb &&
        header.colorMode != Cmyk)
        return true;
    // It reads 16-bit data only raw, and no ZIP data at all.
    if (contents.compression > 1 || (header.depth == 16 && contents.compression != 0))
        return true;
    // It bands 16-bit ink and takes alpha for black; and it turns ink into RGB itself, where a
    // profile should.
    if (header.colorMode == Cmyk &&
        (header.depth == 16 || header.channels > 4 || !contents.iccProfile.empty()))
        return true;
    // It would show the blank stand-in, or black where the picture is transparent.
    return contents.blankStandIn || (contents.mergedTransparency && !IsFromPhotoshop(contents));
}

Backdrop BackdropFor(const PsdContents &contents)
{
    if (!contents.hasRealComposite)
        return Backdrop::Flatten;
    if (contents.mergedTransparency && !IsFromPhotoshop(contents))
        return Backdrop::Decide;
    return Backdrop::Ignore;
}

// DevIL works out image sizes in 32 bits, and the JPEG file holds 8-bit RGB.
bool IsTooLargeForJpeg(const PsdHeader &header)
{
    return header.width > MaxJpegSide || header.height > MaxJpegSide ||
           std::uint64_t(header.width) * header.height * 3 >= MaxDecodedSize;
}

} // namespace

std::variant<DecodePlan, wire::Response> PlanDecode(const std::string &source)
{
    const std::optional<PsdHeader> header = ReadPsdHeader(source);
    if (!header)
        return DecodePlan{};
    if (IsTooLargeToDecode(*header) || IsTooLargeForJpeg(*header))
        return wire::Response{wire::Status::TooLarge, std::to_string(header->width) + " x " +
                                                          std::to_string(header->height) +
                                                          " pixels"};
    const PsdContents contents = ReadPsdContents(source, *header);
    if (!contents.damage.empty())
        return wire::Response{wire::Status::Unreadable, "damaged file: " + contents.damage};
    DecodePlan plan;
    plan.isPsd = true;
    plan.decoder = DevilFallsShort(*header, contents) ? Decoder::Magick : Decoder::Devil;
    plan.backdrop = BackdropFor(contents);
    plan.width = header->width;
    plan.height = header->height;
    plan.colorMode = header->colorMode;
    plan.depth = header->depth;
    plan.iccProfile = contents.iccProfile;
    return plan;
}
