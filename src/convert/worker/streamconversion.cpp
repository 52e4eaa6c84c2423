#include "streamconversion.h"

#include "compositereader.h"
#include "jpegrows.h"

#include <algorithm>
#include <new>
#include <vector>

namespace
{

// Large enough that a band is read in long runs, small enough to stay a few MiB at any width.
constexpr std::size_t BandBytes = std::size_t(4) << 20;

PsdHeader HeaderOf(const DecodePlan &plan)
{
    PsdHeader header;
    header.version = plan.version;
    header.channels = plan.channels;
    header.width = plan.width;
    header.height = plan.height;
    header.depth = plan.depth;
    header.colorMode = plan.colorMode;
    return header;
}

wire::Response Stream(const std::string &source, const std::string &jpegPath,
                      const DecodePlan &plan)
{
    if (plan.colorMode != 3 || plan.depth != 8 || plan.channels < 3)
        return {wire::Status::Unreadable, "format not supported"};
    CompositeReader reader(source, HeaderOf(plan), plan.compression, plan.imageDataOffset, 3);
    const std::size_t rowBytes = std::size_t(plan.width) * reader.BytesPerPixel();
    const auto bandRows = std::uint32_t(std::clamp<std::size_t>(BandBytes / rowBytes, 1, 1024));
    std::vector<unsigned char> samples(rowBytes * bandRows);
    JpegRows jpeg(jpegPath, plan.width, plan.height);
    for (std::uint32_t y = 0; y < plan.height; y += bandRows) {
        const std::uint32_t rows = std::min(bandRows, plan.height - y);
        if (!reader.ReadBand(rows, samples.data()))
            return {wire::Status::Unreadable, "damaged image data"};
        if (!jpeg.Write(samples.data(), rows))
            return {wire::Status::Unwritable, jpeg.Failure()};
    }
    if (!jpeg.Finish())
        return {wire::Status::Unwritable, jpeg.Failure()};
    return {wire::Status::Ok, "reader"};
}

} // namespace

wire::Response ConvertByStreaming(const std::string &source, const std::string &jpegPath,
                                  const DecodePlan &plan)
{
    try {
        return Stream(source, jpegPath, plan);
    } catch (const std::bad_alloc &) {
        return {wire::Status::Unreadable, "out of memory"};
    }
}
