#include "worker/stream/streamconversion.h"

#include "worker/colourplan.h"
#include "worker/stream/bandstojpeg.h"
#include "worker/stream/compositereader.h"

#include <new>
#include <optional>
#include <vector>

namespace
{

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
                       const DecodePlan &plan)
{
    const SampleLayout layout = LayoutOf(plan);
    const std::unique_ptr<ColourStep> step = StepFor(source, plan, layout);
    CompositeReader reader = ReaderOf(source, plan, layout);
    // 8-bit sRGB goes to the JPEG file as it is.
    const bool asIs = step->IsIdentity() && !layout.hasAlpha;
    const BandSource band = [&](std::uint32_t, std::uint32_t rows, unsigned char *samples) {
        return reader.ReadBand(rows, samples)
                   ? Result<>(Done{})
                   : Failure{wire::Status::Unreadable, "damaged image data"};
    };
    return BandsToJpeg(jpegPath, plan.header.width, plan.header.height, reader.BytesPerPixel(),
                       *step, asIs, band, "reader");
}

} // namespace

Result<Decoded> ConvertByStreaming(const std::string &source, const std::string &jpegPath,
                                   const DecodePlan &plan)
{
    try {
        Result<Decoded> streamed = Stream(source, jpegPath, plan);
        return std::move(streamed).WithFreshWorker(!streamed);
    } catch (const std::bad_alloc &) {
        return Result<Decoded>(Failure{wire::Status::Unreadable, "out of memory"})
            .WithFreshWorker();
    }
}
