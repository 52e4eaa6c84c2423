#include "worker/decoders/devilconversion.h"

#include "worker/colourplan.h"
#include "worker/decoders/magickloader.h"
#include "worker/decoders/srgbpaint.h"

#include <IL/il.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace
{

// Errors of an earlier file must not be taken for this one's.
void DrainErrors()
{
    while (ilGetError() != IL_NO_ERROR) {
    }
}

std::string DescribeError(ILenum error)
{
    switch (error) {
    case IL_COULD_NOT_OPEN_FILE:
        return "could not open the file";
    case IL_INVALID_EXTENSION:
        return "unknown file type";
    case IL_INVALID_FILE_HEADER:
    case IL_ILLEGAL_FILE_VALUE:
    case IL_INVALID_VALUE:
        return "damaged file";
    case IL_FORMAT_NOT_SUPPORTED:
        return "format not supported";
    case IL_OUT_OF_MEMORY:
        return "out of memory";
    case IL_FILE_READ_ERROR: // the same code serves writes
        return "read or write error";
    case IL_LIB_JPEG_ERROR:
        return "JPEG encoder error";
    }
    char code[32];
    std::snprintf(code, sizeof code, "DevIL error 0x%04X", unsigned(error));
    return code;
}

// A step that names the decoder before what the colour step did.
auto NamedAs(const std::string &decoder)
{
    return [decoder](const Decoded &colour) -> Result<Decoded> { return colour.NamedBy(decoder); };
}

// How DevIL holds the bound image, where the colour step reads it that way.
std::optional<SampleLayout> LayoutOfBoundImage()
{
    SampleLayout layout;
    switch (ilGetInteger(IL_IMAGE_TYPE)) {
    case IL_UNSIGNED_BYTE:
        layout.depth = 8;
        break;
    case IL_UNSIGNED_SHORT:
        layout.depth = 16;
        break;
    default:
        return std::nullopt;
    }
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    if (format != IL_LUMINANCE && format != IL_LUMINANCE_ALPHA && format != IL_RGB &&
        format != IL_RGBA)
        return std::nullopt;
    layout.colorMode = format == IL_LUMINANCE || format == IL_LUMINANCE_ALPHA ? ColorMode::Grayscale
                                                                              : ColorMode::Rgb;
    layout.hasAlpha = format == IL_LUMINANCE_ALPHA || format == IL_RGBA;
    return layout;
}

// The picture DevIL loaded, through the colour step; what the step did as the value.
Result<Decoded> ColourDevilImage(const DecodePlan &plan)
{
    const std::optional<SampleLayout> layout = LayoutOfBoundImage();
    if (!plan.isPsd || !layout)
        return Decoded{};
    const auto width = std::uint32_t(ilGetInteger(IL_IMAGE_WIDTH));
    const auto height = std::uint32_t(ilGetInteger(IL_IMAGE_HEIGHT));
    const std::size_t rowBytes = std::size_t(width) * std::size_t(ilGetInteger(IL_IMAGE_BPP));
    const ILubyte *data = ilGetData();
    const auto loaded = [&](std::uint32_t y) { return data + y * rowBytes; };
    const std::unique_ptr<ColourStep> step = ColourStepFor(plan, *layout, width, height, loaded);
    // DevIL's own reading is the step's: it cuts 16 bits by the high byte, and keeps grey grey.
    if (step->KeepsColours())
        return DecodedBy(*step);
    // The picture is painted over the image that holds it.
    const std::vector<ILubyte> copy(data, data + rowBytes * height);
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    Result<Decoded> painted = PaintSrgb(
        *step, width, height, [&](std::uint32_t y) { return copy.data() + y * rowBytes; });
    ilRegisterOrigin(ILenum(origin));
    return painted;
}

// The decoder's name as the value, or why the picture could not be had. Where DevIL fails on
// a PSD or PSB file, ImageMagick tries it, and a fresh worker follows whatever comes of it.
Result<Decoded> Load(const std::string &source, const DecodePlan &plan, MagickLoader &magick)
{
    if (plan.decoder == Decoder::Magick)
        return magick.LoadInto(source, plan).Then(NamedAs("magick"));
    DrainErrors();
    if (ilLoadImage(source.c_str()))
        return ColourDevilImage(plan).Then(NamedAs("devil"));
    const ILenum error = ilGetError();
    if (!plan.isPsd)
        return Failure{wire::Status::Unreadable, DescribeError(error)};
    return magick.LoadInto(source, plan).Then(NamedAs("magick")).WithFreshWorker();
}

// A full disk shows only on DevIL's error stack: the save itself claims success.
Result<> Save(const std::string &jpegPath)
{
    DrainErrors();
    const bool saved = ilSaveImage(jpegPath.c_str());
    const ILenum error = ilGetError();
    if (!saved || error != IL_NO_ERROR)
        return Failure{wire::Status::Unwritable, DescribeError(error)};
    return Done{};
}

} // namespace

Result<Decoded> ConvertThroughDevil(const std::string &source, const std::string &jpegPath,
                                    const DecodePlan &plan, MagickLoader &magick)
{
    ilInit();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    Result<Decoded> converted = Load(source, plan, magick).Then([&] { return Save(jpegPath); });
    ilDeleteImages(1, &name);
    return std::move(converted).WithFreshWorker(!converted);
}
