#include "worker/decodeplan.h"

#include "shared/limits.h"
#include "shared/psd/psdcontents.h"

namespace
{

bool IsFromPhotoshop(const PsdContents &contents)
{
    return contents.writer.starts_with("Adobe Photoshop");
}

// What DevIL 1.7.8 cannot read, or reads wrong.
bool DevilFallsShort(const PsdHeader &header, const PsdContents &contents)
{
    if (header.version == PsdVersion::Psb || (header.depth != 8 && header.depth != 16))
        return true;
    const ColorMode mode = header.colorMode;
    if (mode != ColorMode::Grayscale && mode != ColorMode::Indexed && mode != ColorMode::Rgb &&
        mode != ColorMode::Cmyk)
        return true;
    // It reads 16-bit data only raw, and no ZIP data at all.
    if (IsZip(contents.compression) ||
        (header.depth == 16 && contents.compression != Compression::Raw))
        return true;
    // It bands 16-bit ink and takes alpha for black; and it turns ink into RGB itself, where a
    // profile should.
    if (mode == ColorMode::Cmyk &&
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

// The reader takes the stored composite only, never one to be rebuilt from the layers.
bool ReaderTakes(const PsdHeader &header, const PsdContents &contents)
{
    return ReaderTakesShape(header) && !contents.blankStandIn;
}

DecodePlan PlanFor(const PsdHeader &header, const PsdContents &contents)
{
    DecodePlan plan;
    plan.decoder = DevilFallsShort(header, contents) ? Decoder::Magick : Decoder::Devil;
    plan.backdrop = BackdropFor(contents);
    plan.isPsd = true;
    plan.header = header;
    plan.iccProfile = contents.iccProfile;
    plan.compression = contents.compression;
    plan.imageDataOffset = contents.imageDataOffset;
    plan.readerFallback = ReaderTakes(header, contents);
    return plan;
}

} // namespace

std::variant<DecodePlan, wire::Response> PlanDecode(const std::string &source)
{
    const std::optional<PsdHeader> header = ReadPsdHeader(source);
    if (!header)
        return DecodePlan{};
    // Nothing to convert, and no row size for the reader to divide by.
    if (header->width == 0 || header->height == 0)
        return wire::Response{wire::Status::Unreadable, "damaged file: " + PixelsText(*header)};
    if (const std::string reason = TooLargeToRead(*header); !reason.empty())
        return wire::Response{wire::Status::TooLarge, reason};
    const PsdContents contents = ReadPsdContents(source, *header);
    if (!contents.damage.empty())
        return wire::Response{wire::Status::Unreadable, "damaged file: " + contents.damage};
    DecodePlan plan = PlanFor(*header, contents);
    // DevIL may try what is merely more than it should take; ImageMagick refuses it.
    const std::string tooLarge =
        plan.decoder == Decoder::Magick ? TooLargeForMagick(*header, contents.blankStandIn) : "";
    const bool overDevil = plan.decoder == Decoder::Devil && DevilBytes(*header) > DevilBudget;
    const std::string tooLargeToHold = TooLargeToHold(*header);
    if ((overDevil || !tooLarge.empty() || !tooLargeToHold.empty()) && plan.readerFallback) {
        plan.decoder = Decoder::Reader;
        return plan;
    }
    if (!tooLargeToHold.empty())
        return wire::Response{wire::Status::TooLarge, tooLargeToHold};
    if (!tooLarge.empty())
        return wire::Response{wire::Status::TooLarge, tooLarge};
    return plan;
}
