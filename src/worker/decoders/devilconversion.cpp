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

std::string WithColourDetail(const std::string &decoder, const std::string &colour)
{
    return colour.empty() ? decoder : decoder + ", " + colour;
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

// The picture DevIL loaded, through the colour step; Ok with its detail.
wire::Response ColourDevilImage(const DecodePlan &plan)
{
    const std::optional<SampleLayout> layout = LayoutOfBoundImage();
    if (!plan.isPsd || !layout)
        return {wire::Status::Ok, {}};
    const auto width = std::uint32_t(ilGetInteger(IL_IMAGE_WIDTH));
    const auto height = std::uint32_t(ilGetInteger(IL_IMAGE_HEIGHT));
    const std::size_t rowBytes = std::size_t(width) * std::size_t(ilGetInteger(IL_IMAGE_BPP));
    const ILubyte *data = ilGetData();
    const auto loaded = [&](std::uint32_t y) { return data + y * rowBytes; };
    const std::unique_ptr<ColourStep> step = ColourStepFor(plan, *layout, width, height, loaded);
    // DevIL's own reading is the step's: it cuts 16 bits by the high byte, and keeps grey grey.
    if (step->KeepsColours())
        return {wire::Status::Ok, step->Detail()};
    // The picture is painted over the image that holds it.
    const std::vector<ILubyte> copy(data, data + rowBytes * height);
    const ILint origin = ilGetInteger(IL_IMAGE_ORIGIN);
    const wire::Response painted = PaintSrgb(
        *step, width, height, [&](std::uint32_t y) { return copy.data() + y * rowBytes; });
    ilRegisterOrigin(ILenum(origin));
    return painted;
}

// Ok with the decoder's name as detail, or why the picture could not be had.
wire::Response Load(const std::string &source, const DecodePlan &plan, MagickLoader &magick,
                    bool &unclean)
{
    if (plan.decoder == Decoder::Devil) {
        DrainErrors();
        if (ilLoadImage(source.c_str())) {
            const wire::Response coloured = ColourDevilImage(plan);
            if (coloured.status != wire::Status::Ok)
                return coloured;
            return {wire::Status::Ok, WithColourDetail("devil", coloured.detail)};
        }
        unclean = true;
        const ILenum error = ilGetError();
        if (!plan.isPsd)
            return {wire::Status::Unreadable, DescribeError(error)};
    }
    const wire::Response loaded = magick.LoadInto(source, plan);
    if (loaded.status != wire::Status::Ok)
        return loaded;
    return {wire::Status::Ok, WithColourDetail("magick", loaded.detail)};
}

wire::Response LoadAndSave(const std::string &source, const std::string &jpegPath,
                           const DecodePlan &plan, MagickLoader &magick, bool &unclean)
{
    const wire::Response loaded = Load(source, plan, magick, unclean);
    unclean = unclean || loaded.status != wire::Status::Ok;
    if (loaded.status != wire::Status::Ok)
        return loaded;
    DrainErrors();
    const bool saved = ilSaveImage(jpegPath.c_str());
    // A full disk shows only here: the save itself claims success.
    const ILenum error = ilGetError();
    unclean = unclean || !saved || error != IL_NO_ERROR;
    if (!saved || error != IL_NO_ERROR)
        return {wire::Status::Unwritable, DescribeError(error)};
    return loaded;
}

} // namespace

wire::Response ConvertWithDevil(const std::string &source, const std::string &jpegPath,
                                const DecodePlan &plan, MagickLoader &magick, bool &unclean)
{
    ilInit();
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    const wire::Response response = LoadAndSave(source, jpegPath, plan, magick, unclean);
    ilDeleteImages(1, &name);
    return response;
}
