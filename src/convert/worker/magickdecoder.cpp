#include "magickdecoder.h"

#include "psdheader.h"
#include "wireformat.h"

#include <IL/il.h>
#include <Magick++.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

// Reset before each file. Past it ImageMagick ends the process, which the app reports as a
// stopped decoder.
constexpr MagickCore::MagickSizeType SecondsPerFile = wire::MaxSecondsPerEntry;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

// ImageMagick's messages read "client: reason `file' @ where"; the reason is what helps.
std::string ReasonOf(const Magick::Exception &exception)
{
    std::string text = exception.what();
    const std::size_t start = text.find(": ");
    if (start != std::string::npos)
        text.erase(0, start + 2);
    const std::size_t end = text.find_first_of("`@");
    if (end != std::string::npos)
        text.erase(end);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

ILubyte OnWhite(unsigned colour, unsigned alpha, Backdrop backdrop)
{
    if (backdrop == Backdrop::Flatten)
        return ILubyte((colour * alpha + 255 * (255 - alpha) + 127) / 255);
    return ILubyte(alpha == 0 ? 255 : colour);
}

void CopyPixels(Magick::Image &image, Backdrop backdrop, ILubyte *rgb)
{
    const std::size_t width = image.columns();
    const std::size_t height = image.rows();
    if (backdrop == Backdrop::Ignore) {
        image.write(0, 0, width, height, "RGB", Magick::CharPixel, rgb);
        return;
    }
    std::vector<unsigned char> row(width * 4);
    for (std::size_t y = 0; y < height; ++y) {
        image.write(0, ssize_t(y), width, 1, "RGBA", Magick::CharPixel, row.data());
        for (std::size_t x = 0; x < width; ++x) {
            for (std::size_t c = 0; c < 3; ++c)
                rgb[(y * width + x) * 3 + c] = OnWhite(row[x * 4 + c], row[x * 4 + 3], backdrop);
        }
    }
}

class ImageMagick final : public MagickDecoder
{
public:
    explicit ImageMagick(std::uint64_t addressSpaceBytes) : m_addressSpaceBytes(addressSpaceBytes)
    {
    }
    std::string LoadInto(const std::string &source, const DecodePlan &plan) override;

private:
    void Start();

    std::uint64_t m_addressSpaceBytes;
    bool m_started = false;
};

void ImageMagick::Start()
{
    using namespace MagickCore;
    Magick::InitializeMagick(nullptr);
    // Pixels in memory and in mapped files each take a quarter of the address space, leaving
    // room for DevIL's copy and the JPEG encoder; a larger image goes to a disk cache that can
    // hold the largest image the header checks let through.
    const MagickSizeType quarter = m_addressSpaceBytes / 4;
    SetMagickResourceLimit(MemoryResource, quarter);
    SetMagickResourceLimit(MapResource, quarter);
    SetMagickResourceLimit(AreaResource, quarter / sizeof(PixelPacket));
    SetMagickResourceLimit(DiskResource, 4 * MaxDecodedSize);
    // Its checks are "less than".
    SetMagickResourceLimit(WidthResource, MaxSidePsb + 1);
    SetMagickResourceLimit(HeightResource, MaxSidePsb + 1);
    // One core per worker: the app runs one worker per core.
    SetMagickResourceLimit(ThreadResource, 1);
    m_started = true;
}

std::string ImageMagick::LoadInto(const std::string &source, const DecodePlan &plan)
{
    if (!m_started)
        Start();
    MagickCore::SetMagickResourceLimit(MagickCore::TimeResource, SecondsPerFile);
    // Opened here, so that no part of the path is read as ImageMagick's file name syntax.
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(source.c_str(), "rbe"));
    if (!file)
        return std::strerror(errno);
    try {
        Magick::Image image;
        image.quiet(true);
        // The composite alone; ImageMagick reads the layers only to rebuild a missing one.
        image.subImage(0);
        image.subRange(1);
        // Left as stored: the plan says how it meets white.
        image.defineValue("psd", "alpha-unblend", "false");
        MagickCore::SetImageInfoFile(image.imageInfo(), file.get());
        image.read("PSD:");
        if (image.columns() != plan.width || image.rows() != plan.height)
            return "the composite's size differs from the header's";
        image.colorSpace(Magick::sRGBColorspace);
        if (!ilTexImage(ILuint(plan.width), ILuint(plan.height), 1, 3, IL_RGB, IL_UNSIGNED_BYTE,
                        nullptr))
            return "out of memory";
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT);
        CopyPixels(image, plan.backdrop, ilGetData());
    } catch (const Magick::Exception &exception) {
        return ReasonOf(exception);
    } catch (const std::bad_alloc &) {
        return "out of memory";
    }
    return {};
}

} // namespace

MagickDecoder *QuillmereNewMagickDecoder(std::uint64_t addressSpaceBytes)
{
    return new ImageMagick(addressSpaceBytes);
}
