#include "worker/conversion.h"

#include "shared/protocol/tempname.h"
#include "worker/decodeplan.h"
#include "worker/decoders/devilconversion.h"
#include "worker/jpegfile.h"
#include "worker/layers/layerconversion.h"
#include "worker/metadata/metadatawriter.h"
#include "worker/pathchecks.h"
#include "worker/scratchfile.h"
#include "worker/stream/streamconversion.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace
{

// The JPEG file at jpegPath, by the plan's decoder; the reader takes what is too large for the
// decoders, and what both fail on.
Result<Decoded> WriteJpeg(const std::string &source, const std::string &jpegPath,
                          const DecodePlan &plan, MagickLoader &magick)
{
    if (plan.decoder == Decoder::Layers)
        return ConvertFromLayers(source, jpegPath, plan);
    if (plan.decoder == Decoder::Reader)
        return ConvertByStreaming(source, jpegPath, plan);
    Result<Decoded> converted = ConvertThroughDevil(source, jpegPath, plan, magick);
    if (converted || converted.Why().status != wire::Status::Unreadable || !plan.readerTakes)
        return converted;
    return ConvertByStreaming(source, jpegPath, plan).WithFreshWorker(converted.NeedsFreshWorker());
}

// The document's metadata put into the JPEG file at jpegPath, unless the request strips it; the
// decoder's detail as the value, with what of the metadata was left out.
Result<std::string> AddMetadataAsAsked(const wire::Request &request, const std::string &jpegPath,
                                       const PsdMetadata &metadata, const Decoded &decoded)
{
    const std::string &detail = decoded.detail;
    if (request.options.stripMetadata)
        return detail;
    return AddMetadata(jpegPath, metadata, decoded.throughProfile)
        .Then([&](const std::string &leftOut) {
            return Result<std::string>(leftOut.empty() ? detail : detail + "; " + leftOut);
        });
}

// The JPEG file is made under a name of the worker's own beside the target, and takes the
// target's name only once it is whole.
Result<std::string> ConvertToTarget(const wire::Request &request, const DecodePlan &plan,
                                    MagickLoader &magick)
{
    const ScratchFile scratch(TemporaryTargetFor(request.target, getpid()));
    if (!scratch.IsHeld())
        return Failure{wire::Status::Unwritable, std::strerror(ENAMETOOLONG)};
    return WriteJpeg(request.source, scratch.Path(), plan, magick)
        .Then([&](const Decoded &decoded) {
            return AddMetadataAsAsked(request, scratch.Path(), plan.metadata, decoded);
        })
        .Then([&] { return PlaceJpeg(scratch.Path(), request.target); });
}

} // namespace

Result<std::string> Convert(const wire::Request &request, MagickLoader &magick)
{
    return CheckTarget(request.target)
        .Then([&] { return CheckSource(request.source); })
        .Then([&] { return PlanDecode(request.source); })
        .Then([&](const DecodePlan &plan) { return ConvertToTarget(request, plan, magick); });
}
