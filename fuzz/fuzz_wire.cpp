// The words between the app and the worker, from either side: every message taken from a
// buffer of any bytes, which must encode back to exactly the bytes it was taken from.
#include "shared/protocol/wireformat.h"

#include <cstdlib>

namespace
{

template <typename Take, typename Encode> void TakeAll(std::string buffer, Take take, Encode encode)
{
    bool malformed = false;
    for (;;) {
        const std::string before = buffer;
        const auto message = take(buffer, malformed);
        if (!message)
            return;
        const std::string bytes = encode(*message);
        if (before.compare(0, bytes.size(), bytes) != 0 || before.substr(bytes.size()) != buffer)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string buffer(reinterpret_cast<const char *>(data), size);
    TakeAll(buffer, wire::TakeRequest, wire::EncodeRequest);
    TakeAll(buffer, wire::TakeResponse, wire::EncodeResponse);
    return 0;
}
