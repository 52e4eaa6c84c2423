#include "devilconversion.h"

#include "magickloader.h"

#include <IL/il.h>

#include <cstdio>

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

// Ok with the decoder's name as detail, or why the picture could not be had.
wire::Response Load(const std::string &source, const DecodePlan &plan, MagickLoader &magick,
                    bool &unclean)
{
    if (plan.decoder == Decoder::Devil) {
        DrainErrors();
        if (ilLoadImage(source.c_str()))
            return {wire::Status::Ok, "devil"};
        unclean = true;
        const ILenum error = ilGetError();
        if (!plan.isPsd)
            return {wire::Status::Unreadable, DescribeError(error)};
    }
    const std::string failure = magick.LoadInto(source, plan);
    if (!failure.empty())
        return {wire::Status::Unreadable, failure};
    return {wire::Status::Ok, "magick"};
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
