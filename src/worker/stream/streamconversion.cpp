#include "worker/stream/streamconversion.h"

#include "worker/colourplan.h"
#include "worker/stream/compositereader.h"
#include "worker/stream/jpegrows.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

namespace
{

// Large enough that a band is read in long runs, small enough to stay a few MiB at any width.
constexpr std::size_t BandBytes = std::size_t(4) << 20;

// What the colour step reads: the mode's colour channels, and the transparency after them
// where it matters.
SampleLayout LayoutOf(const DecodePlan &plan)
{
    SampleLayout layout;
    layout.colorMode = plan.header.colorMode;
    layout.depth = plan.header.depth;
    layout.hasAlpha = plan.header.channels > ColourChannels(plan.header.colorMode) &&
                      plan.backdrop != Backdrop::Ignore;
    return layout;
}

CompositeReader ReaderOf(const std::string &source, const DecodePlan &plan,
                         const SampleLayout &layout)
{
    return CompositeReader(source, plan.header, plan.compression, plan.imageDataOffset,
                           layout.Channels());
}

// Whether the writer blended the colour on white may take a first pass over the rows.
std::unique_ptr<ColourStep> StepFor(const std::string &source, const DecodePlan &plan,
                                    const SampleLayout &layout)
{
    std::optional<CompositeReader> firstPass;
    std::vector<unsigned char> row;
    const SampleRows rows = [&](std::uint32_t) {
        if (!firstPass) {
            firstPass.emplace(ReaderOf(source, plan, layout));
            row.resize(std::size_t(plan.header.width) * firstPass->BytesPerPixel());
        }
        // Damage shows in the second pass.
        firstPass->ReadBand(1, row.data());
        return row.data();
    };
    return ColourStepFor(plan, layout, plan.header.width, plan.header.height, rows);
}

Result<Decoded> Stream(const std::string &source, const std::string &jpegPath,
                       const DecodePlan &plan, int quality)
{
    const SampleLayout layout = LayoutOf(plan);
    const std::unique_ptr<ColourStep> step = StepFor(source, plan, layout);
    CompositeReader reader = ReaderOf(source, plan, layout);
    const std::size_t rowBytes = std::size_t(plan.header.width) * reader.BytesPerPixel();
    const auto bandRows = std::uint32_t(std::clamp<std::size_t>(BandBytes / rowBytes, 1, 1024));
    std::vector<unsigned char> samples(rowBytes * bandRows);
    // 8-bit sRGB goes to the JPEG file as it is.
    const bool asIs = step->IsIdentity() && !layout.hasAlpha;
    std::vector<std::uint8_t> rgb(asIs ? 0 : std::size_t(plan.header.width) * 3 * bandRows);
    JpegRows jpeg(jpegPath, plan.header.width, plan.header.height, quality);
    for (std::uint32_t y = 0; y < plan.header.height; y += bandRows) {
        const std::uint32_t rows = std::min(bandRows, plan.header.height - y);
        if (!reader.ReadBand(rows, samples.data()))
            return Failure{wire::Status::Unreadable, "damaged image data"};
        if (!asIs)
            step->ToSrgb8(samples.data(), std::size_t(plan.header.width) * rows, rgb.data());
        if (!jpeg.Write(asIs ? samples.data() : rgb.data(), rows))
            return Failure{wire::Status::Unwritable, jpeg.Failure()};
    }
    if (!jpeg.Finish())
        return Failure{wire::Status::Unwritable, jpeg.Failure()};
    return DecodedBy(*step).NamedBy("reader");
}

} // namespace

Result<Decoded> ConvertByStreaming(const std::string &source, const std::string &jpegPath,
                                   const DecodePlan &plan, int quality)
{
    try {
        Result<Decoded> streamed = Stream(source, jpegPath, plan, quality);
        return std::move(streamed).WithFreshWorker(!streamed);
    } catch (const std::bad_alloc &) {
        return Result<Decoded>(Failure{wire::Status::Unreadable, "out of memory"})
            .WithFreshWorker();
    }
}
