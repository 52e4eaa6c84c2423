#include "worker/conversion.h"

#include "shared/protocol/tempname.h"
#include "worker/decodeplan.h"
#include "worker/decoders/devilconversion.h"
#include "worker/jpegfile.h"
#include "worker/layers/layerconversion.h"
#include "worker/scratchfile.h"
#include "worker/stream/streamconversion.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool HasNul(const std::string &path)
{
    return path.find('\0') != std::string::npos;
}

// Whatever stands at the target, even a dangling link, stays as it is; and nothing is written
// relative to wherever the worker happens to run.
std::optional<wire::Response> CheckTarget(const std::string &target)
{
    if (target.empty() || target[0] != '/' || HasNul(target))
        return wire::Response{wire::Status::Unwritable, "not an absolute file path"};
    struct stat status = {};
    if (lstat(target.c_str(), &status) == 0)
        return wire::Response{wire::Status::AlreadyExists, {}};
    if (errno != ENOENT)
        return wire::Response{wire::Status::Unwritable, std::strerror(errno)};
    return std::nullopt;
}

// A pipe or a device could keep a decoder waiting or reading forever.
std::optional<wire::Response> CheckSource(const std::string &source)
{
    if (source.empty() || HasNul(source))
        return wire::Response{wire::Status::Unreadable, "not a file path"};
    struct stat status = {};
    if (stat(source.c_str(), &status) != 0)
        return wire::Response{wire::Status::Unreadable, std::strerror(errno)};
    if (!S_ISREG(status.st_mode))
        return wire::Response{wire::Status::Unreadable, "not a regular file"};
    return std::nullopt;
}

// The reader takes what is too large for the decoders, and what both fail on.
wire::Response Decode(const std::string &source, const std::string &jpegPath,
                      const DecodePlan &plan, MagickLoader &magick, bool &unclean)
{
    if (plan.decoder == Decoder::Layers)
        return ConvertFromLayers(source, jpegPath, plan);
    if (plan.decoder != Decoder::Reader) {
        const wire::Response converted = ConvertWithDevil(source, jpegPath, plan, magick, unclean);
        if (converted.status != wire::Status::Unreadable || !plan.readerFallback)
            return converted;
    }
    const wire::Response streamed = ConvertByStreaming(source, jpegPath, plan);
    unclean = unclean || streamed.status != wire::Status::Ok;
    return streamed;
}

} // namespace

wire::Response Convert(const wire::Request &request, MagickLoader &magick, bool &unclean)
{
    unclean = false;
    if (std::optional<wire::Response> refusal = CheckTarget(request.target))
        return *refusal;
    if (std::optional<wire::Response> refusal = CheckSource(request.source))
        return *refusal;
    const std::variant<DecodePlan, wire::Response> plan = PlanDecode(request.source);
    if (const auto *refusal = std::get_if<wire::Response>(&plan))
        return *refusal;

    const ScratchFile scratch(TemporaryTargetFor(request.target, getpid()));
    if (!scratch.IsHeld())
        return {wire::Status::Unwritable, std::strerror(ENAMETOOLONG)};
    const wire::Response converted =
        Decode(request.source, scratch.Path(), std::get<DecodePlan>(plan), magick, unclean);
    if (converted.status != wire::Status::Ok)
        return converted;
    if (!IsCompleteJpeg(scratch.Path()))
        return {wire::Status::Unwritable, "incomplete JPEG file"};
    const wire::Response placed = MoveWithoutReplacing(scratch.Path(), request.target);
    if (placed.status != wire::Status::Ok)
        return placed;
    return converted;
}
