#include "worker/scratchfile.h"

#include "worker/pathchecks.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace
{

// Read by the signal handler, so a plain buffer: the first byte is written last and cleared
// first, so the handler never sees half a path.
char g_heldPath[PATH_MAX];

// Stack overflows in a decoder arrive as SIGSEGV with no stack left for the handler.
alignas(16) char g_handlerStack[64 * 1024];

// The signals of a fault in the process, and those that stop it from outside.
constexpr int CrashSignals[] = {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL};
constexpr int StopSignals[] = {SIGTERM, SIGINT, SIGHUP};

#ifdef QUILLMERE_SANITIZE
// A crash is the sanitizers' to report, by their own handlers; the app removes the file after
// such an end, as after a kill.
constexpr bool HandleCrashes = false;
#else
constexpr bool HandleCrashes = true;
#endif

void RemoveHeldFile()
{
    if (g_heldPath[0] != '\0')
        unlink(g_heldPath);
}

void OnFatalSignal(int signal)
{
    RemoveHeldFile();
    // The handler was reset to the default on entry: the signal now ends the process as it
    // would have, so the app sees the crash for what it is.
    raise(signal);
}

template <std::size_t N> void RemoveOn(const int (&signals)[N])
{
    struct sigaction action = {};
    action.sa_handler = OnFatalSignal;
    action.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : signals)
        sigaction(signal, &action, nullptr);
}

} // namespace

void ScratchFile::RemoveOnAbnormalEnd()
{
    std::atexit(RemoveHeldFile);
    RemoveOn(StopSignals);
    if (!HandleCrashes)
        return;
    stack_t stack = {};
    stack.ss_sp = g_handlerStack;
    stack.ss_size = sizeof g_handlerStack;
    sigaltstack(&stack, nullptr);
    RemoveOn(CrashSignals);
}

ScratchFile::ScratchFile(const std::string &path) : m_path(path)
{
    if (path.empty() || path.size() >= sizeof g_heldPath || HasNul(path))
        return;
    g_heldPath[0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(g_heldPath + 1, path.c_str() + 1, path.size());
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_heldPath[0] = path[0];
    m_held = true;
    unlink(g_heldPath);
}

ScratchFile::~ScratchFile()
{
    if (!m_held)
        return;
    // After a successful move the name is gone already and this does nothing.
    unlink(g_heldPath);
    g_heldPath[0] = '\0';
    std::atomic_signal_fence(std::memory_order_seq_cst);
}
