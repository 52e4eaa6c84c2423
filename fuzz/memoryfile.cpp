#include "memoryfile.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

MemoryFile::MemoryFile() : m_fd(memfd_create("fuzz-input", MFD_CLOEXEC))
{
    // Without it no input can reach the parser: better to stop than to fuzz nothing.
    if (m_fd < 0)
        std::abort();
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

MemoryFile::~MemoryFile()
{
    close(m_fd);
}

const std::string &MemoryFile::Hold(const std::uint8_t *data, std::size_t size)
{
    std::size_t done = 0;
    bool written = ftruncate(m_fd, 0) == 0;
    while (written && done < size) {
        const ssize_t count = pwrite(m_fd, data + done, size - done, off_t(done));
        written = count > 0;
        done += written ? std::size_t(count) : 0;
    }
    if (!written)
        std::abort();
    return m_path;
}
