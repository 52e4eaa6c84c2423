#include "worker/decodeplan.h"

#include "shared/limits.h"
#include "shared/psd/psdcontents.h"

#include <algorithm>
#include <cctype>

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
    // It would show black where the picture is transparent.
    return contents.mergedTransparency && !IsFromPhotoshop(contents);
}

// A blank stand-in is rebuilt from the layers; no other decoder would show more than white.
Decoder DecoderFor(const PsdHeader &header, const PsdContents &contents)
{
    if (contents.blankStandIn)
        return Decoder::Layers;
    return DevilFallsShort(header, contents) ? Decoder::Magick : Decoder::Devil;
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
    plan.decoder = DecoderFor(header, contents);
    plan.backdrop = BackdropFor(contents);
    plan.isPsd = true;
    plan.header = header;
    plan.iccProfile = contents.iccProfile;
    plan.metadata = contents.metadata;
    plan.compression = contents.compression;
    plan.imageDataOffset = contents.imageDataOffset;
    plan.readerTakes = ReaderTakes(header, contents);
    return plan;
}

// DevIL may try what is merely more than it should take; ImageMagick refuses it. The reader
// takes what is too large for either, where it can. The compositor works a band at a time,
// whatever the size.
Result<DecodePlan> FitToSize(DecodePlan plan)
{
    if (plan.decoder == Decoder::Layers)
        return plan;
    const PsdHeader &header = plan.header;
    const Result<> forMagick =
        plan.decoder == Decoder::Magick ? CheckSizeForMagick(header) : Done{};
    const bool overDevil = plan.decoder == Decoder::Devil && DevilBytes(header) > DevilBudget;
    const Result<> toHold = CheckSizeToHold(header);
    if ((overDevil || !forMagick || !toHold) && plan.readerTakes) {
        plan.decoder = Decoder::Reader;
        return plan;
    }
    if (!toHold)
        return toHold.Why();
    if (!forMagick)
        return forMagick.Why();
    return plan;
}

// Whether the file's name or its first bytes say PSD or PSB. Such a file must pass the header
// check: DevIL reads uninitialised memory in one whose header is cut short or unknown.
bool ClaimsToBePsd(const std::string &source)
{
    std::string ending = source.substr(source.size() - std::min<std::size_t>(source.size(), 4));
    for (char &c : ending)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".psd" || ending == ".psb" || HasPsdSignature(source);
}

} // namespace

Result<DecodePlan> PlanDecode(const std::string &source)
{
    const Result<PsdHeader> header = ReadPsdHeader(source);
    if (!header && !ClaimsToBePsd(source))
        return DecodePlan{};
    return header.Then(CheckSizeToRead).Then([&](const PsdHeader &checked) {
        return ReadPsdContents(source, checked).Then([&](const PsdContents &contents) {
            return FitToSize(PlanFor(checked, contents));
        });
    });
}
