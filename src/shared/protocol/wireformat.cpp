#include "shared/protocol/wireformat.h"

namespace wire
{
namespace
{

constexpr char RequestTag = 'C';
constexpr std::uint8_t StripMetadataBit = 1;
// No path or detail is anywhere near this long; a larger length means the stream is broken.
constexpr std::uint32_t MaxField = 1u << 20;

void PutU32(std::string &out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutField(std::string &out, const std::string &field)
{
    PutU32(out, static_cast<std::uint32_t>(field.size()));
    out += field;
}

// Reads one length-prefixed field at pos; false when the buffer does not hold it yet.
bool GetField(const std::string &buffer, std::size_t &pos, std::string &field, bool &malformed)
{
    if (buffer.size() < pos + 4)
        return false;
    std::uint32_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= std::uint32_t(static_cast<unsigned char>(buffer[pos + i])) << (8 * i);
    if (length > MaxField) {
        malformed = true;
        return false;
    }
    if (buffer.size() < pos + 4 + length)
        return false;
    field.assign(buffer, pos + 4, length);
    pos += 4 + length;
    return true;
}

} // namespace

std::string EncodeRequest(const Request &request)
{
    std::string out(1, RequestTag);
    PutField(out, request.source);
    PutField(out, request.target);
    out.push_back(static_cast<char>(request.options.stripMetadata ? StripMetadataBit : 0));
    return out;
}

std::string EncodeResponse(const Response &response)
{
    std::string out(1, static_cast<char>(response.status));
    PutField(out, response.detail);
    return out;
}

std::optional<Request> TakeRequest(std::string &buffer, bool &malformed)
{
    malformed = false;
    if (buffer.empty())
        return std::nullopt;
    if (buffer[0] != RequestTag) {
        malformed = true;
        return std::nullopt;
    }
    std::size_t pos = 1;
    Request request;
    if (!GetField(buffer, pos, request.source, malformed) ||
        !GetField(buffer, pos, request.target, malformed) || buffer.size() <= pos)
        return std::nullopt;
    const auto options = static_cast<std::uint8_t>(buffer[pos]);
    if ((options & ~StripMetadataBit) != 0) {
        malformed = true;
        return std::nullopt;
    }
    request.options.stripMetadata = (options & StripMetadataBit) != 0;
    buffer.erase(0, pos + 1);
    return request;
}

std::optional<Response> TakeResponse(std::string &buffer, bool &malformed)
{
    malformed = false;
    if (buffer.empty())
        return std::nullopt;
    const auto status = static_cast<std::uint8_t>(buffer[0]);
    // A worker cannot speak for the app: the statuses only the app sets are malformed here.
    if (status >= static_cast<std::uint8_t>(Status::DecoderStopped)) {
        malformed = true;
        return std::nullopt;
    }
    std::size_t pos = 1;
    Response response;
    response.status = static_cast<Status>(status);
    if (!GetField(buffer, pos, response.detail, malformed))
        return std::nullopt;
    buffer.erase(0, pos);
    return response;
}

} // namespace wire
