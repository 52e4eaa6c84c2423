// quillmere-worker: the only process that runs DevIL. The app sends it one request per file on
// stdin and reads one response per request on stdout; a damaged file that crashes DevIL ends
// this process, never the window.

#include "shared/protocol/wireformat.h"
#include "shared/result.h"
#include "worker/conversion.h"
#include "worker/decoders/magickloader.h"
#include "worker/scratchfile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{

constexpr unsigned long long DefaultAddressSpaceMb = 6144;
constexpr int ExitUsage = 2;
constexpr int ExitBrokenStream = 3;
// DevIL leaks its buffers on some failed loads (16-bit RLE data, for one).
constexpr std::size_t MaxLeakedBytes = std::size_t(64) << 20;

bool ParseAddressSpace(int argc, char **argv, unsigned long long &megabytes)
{
    megabytes = DefaultAddressSpaceMb;
    if (argc == 1)
        return true;
    if (argc != 3 || std::strcmp(argv[1], "--address-space-mb") != 0)
        return false;
    char *end = nullptr;
    errno = 0;
    megabytes = std::strtoull(argv[2], &end, 10);
    return errno == 0 && end != argv[2] && *end == '\0' && megabytes > 0 &&
           megabytes < (1ull << 40);
}

// An out-of-memory in a decoder then fails one file instead of taking the machine's memory.
// Returns the limit in force, which the hard limit may have lowered.
rlim_t LimitAddressSpace(rlim_t bytes)
{
    struct rlimit limit = {};
    getrlimit(RLIMIT_AS, &limit);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < bytes)
        bytes = limit.rlim_max;
    limit.rlim_cur = bytes;
    limit.rlim_max = bytes;
#ifndef QUILLMERE_SANITIZE
    // AddressSanitizer holds terabytes of address space for its shadow: under it, a request
    // too large fails by its own allocator_may_return_null instead.
    setrlimit(RLIMIT_AS, &limit);
#endif
    return bytes;
}

bool WriteAll(int fd, const std::string &bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += std::size_t(written);
    }
    return true;
}

// Ok with the decoder that served the file, or the failure as it came.
wire::Response ResponseTo(const Result<std::string> &converted)
{
    if (converted)
        return {wire::Status::Ok, *converted};
    return {converted.Why().status, converted.Why().detail};
}

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The same process with the same pipes and pid, its leaks and whatever a failed decoder may
// have damaged gone. The app notices nothing.
void StartAfresh(char **argv, int out)
{
    if (dup2(out, STDOUT_FILENO) < 0)
        return;
    execv("/proc/self/exe", argv);
    dup2(STDERR_FILENO, STDOUT_FILENO);
}

// Answers every request until the app closes our stdin. The app sends the next request only
// after the answer to this one, so there is a moment between two when nothing of the next one
// has been read and the process can start afresh.
int Serve(int in, int out, char **argv, MagickLoader &magick)
{
    std::string buffer;
    char chunk[64 * 1024];
    const std::size_t heapAtStart = HeapInUse();
    for (;;) {
        bool malformed = false;
        bool freshWorker = false;
        while (std::optional<wire::Request> request = wire::TakeRequest(buffer, malformed)) {
            const Result<std::string> converted = Convert(*request, magick);
            if (!WriteAll(out, wire::EncodeResponse(ResponseTo(converted))))
                return ExitBrokenStream;
            freshWorker = converted.NeedsFreshWorker();
            // A request sent ahead would meet what a failed decoder left behind.
            if (freshWorker && !buffer.empty())
                return ExitBrokenStream;
        }
        if (malformed)
            return ExitBrokenStream;
        if (buffer.empty() && (freshWorker || HeapInUse() > heapAtStart + MaxLeakedBytes))
            StartAfresh(argv, out);
        const ssize_t got = read(in, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ExitBrokenStream;
        if (got == 0)
            return buffer.empty() ? EXIT_SUCCESS : ExitBrokenStream;
        buffer.append(chunk, std::size_t(got));
    }
}

} // namespace

int main(int argc, char **argv)
{
    unsigned long long megabytes = 0;
    if (!ParseAddressSpace(argc, argv, megabytes)) {
        std::fprintf(stderr, "usage: quillmere-worker [--address-space-mb N]\n");
        return ExitUsage;
    }
    MagickLoader magick(LimitAddressSpace(rlim_t(megabytes) << 20));

    // Our responses get a descriptor of their own; anything a library prints to stdout goes to
    // stderr instead of into the stream.
    const int out = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (out < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return ExitBrokenStream;
    // A vanished app shows as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    ScratchFile::RemoveOnAbnormalEnd();
    return Serve(STDIN_FILENO, out, argv, magick);
}
