#include "worker/decoders/magickdecoder.h"

#include "shared/limits.h"
#include "shared/protocol/wireformat.h"
#include "worker/colourplan.h"
#include "worker/decoders/srgbpaint.h"

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

// The samples as the file stores them, for the modes the colour step reads; other modes in
// ImageMagick's own sRGB.
SampleLayout LayoutFor(Magick::Image &image, const DecodePlan &plan)
{
    const ColorMode mode = plan.header.colorMode;
    if (mode == ColorMode::Grayscale || mode == ColorMode::Rgb || mode == ColorMode::Cmyk ||
        mode == ColorMode::Lab)
        return {plan.header.colorMode, plan.header.depth, image.matte()};
    image.colorSpace(Magick::sRGBColorspace);
    return {ColorMode::Rgb, 8, image.matte()};
}

// ImageMagick's names of the layout's channels, in order.
std::string MapOf(const SampleLayout &layout)
{
    const ColorMode mode = layout.colorMode;
    const std::string colours = mode == ColorMode::Grayscale ? "R"
                                : mode == ColorMode::Cmyk    ? "CMYK"
                                                             : "RGB";
    return colours + (layout.hasAlpha ? "A" : "");
}

// Row by row into one buffer, in the layout's own sample type.
class RowExporter
{
public:
    RowExporter(Magick::Image &image, const SampleLayout &layout)
        : m_image(image), m_layout(layout), m_map(MapOf(layout)),
          m_type(layout.depth == 8    ? Magick::CharPixel
                 : layout.depth == 16 ? Magick::ShortPixel
                                      : Magick::FloatPixel),
          m_row(image.columns() * layout.PixelBytes())
    {
    }
    const void *Row(std::uint32_t y)
    {
        m_image.write(0, ssize_t(y), m_image.columns(), 1, m_map, m_type, m_row.data());
        if (m_layout.colorMode == ColorMode::Cmyk)
            InvertInk();
        return m_row.data();
    }

private:
    // ImageMagick holds ink; the file, and so the colour step, what is left of the paper.
    void InvertInk()
    {
        const std::size_t pixels = m_image.columns();
        const std::size_t channels = m_map.size();
        if (m_layout.depth == 8)
            InvertInk<std::uint8_t>(pixels, channels, 255);
        else if (m_layout.depth == 16)
            InvertInk<std::uint16_t>(pixels, channels, 65535);
        else
            InvertInk<float>(pixels, channels, 1.0f);
    }
    template <typename T> void InvertInk(std::size_t pixels, std::size_t channels, T white)
    {
        T sample;
        for (std::size_t i = 0; i < pixels; ++i) {
            for (std::size_t c = 0; c < 4; ++c) {
                unsigned char *at = m_row.data() + (i * channels + c) * sizeof(T);
                std::memcpy(&sample, at, sizeof(T));
                sample = T(white - sample);
                std::memcpy(at, &sample, sizeof(T));
            }
        }
    }

    Magick::Image &m_image;
    SampleLayout m_layout;
    std::string m_map;
    Magick::StorageType m_type;
    std::vector<unsigned char> m_row;
};

Result<Decoded> Paint(Magick::Image &image, const DecodePlan &plan)
{
    const SampleLayout layout = LayoutFor(image, plan);
    RowExporter exporter(image, layout);
    const SampleRows rows = [&](std::uint32_t y) { return exporter.Row(y); };
    const std::unique_ptr<ColourStep> step =
        ColourStepFor(plan, layout, plan.header.width, plan.header.height, rows);
    return PaintSrgb(*step, plan.header.width, plan.header.height, rows);
}

class ImageMagick final : public MagickDecoder
{
public:
    explicit ImageMagick(std::uint64_t addressSpaceBytes) : m_addressSpaceBytes(addressSpaceBytes)
    {
    }
    Result<Decoded> LoadInto(const std::string &source, const DecodePlan &plan) override;

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
    SetMagickResourceLimit(WidthResource, MaxJpegSide + 1);
    SetMagickResourceLimit(HeightResource, MaxJpegSide + 1);
    // One core per worker: the app runs one worker per core.
    SetMagickResourceLimit(ThreadResource, 1);
    m_started = true;
}

Result<Decoded> ImageMagick::LoadInto(const std::string &source, const DecodePlan &plan)
{
    const auto failed = [](const std::string &reason) {
        return Failure{wire::Status::Unreadable, reason};
    };
    if (!m_started)
        Start();
    MagickCore::SetMagickResourceLimit(MagickCore::TimeResource, SecondsPerFile);
    // Opened here, so that no part of the path is read as ImageMagick's file name syntax.
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(source.c_str(), "rbe"));
    if (!file)
        return failed(std::strerror(errno));
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
        if (image.columns() != plan.header.width || image.rows() != plan.header.height)
            return failed("the composite's size differs from the header's");
        return Paint(image, plan);
    } catch (const Magick::Exception &exception) {
        return failed(ReasonOf(exception));
    } catch (const std::bad_alloc &) {
        return failed("out of memory");
    }
}

} // namespace

MagickDecoder *QuillmereNewMagickDecoder(std::uint64_t addressSpaceBytes)
{
    return new ImageMagick(addressSpaceBytes);
}
