#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A fuzz input as a file in memory, for the parsers that take a path: a memfd, named through
// /proc/self/fd. One per process, its contents replaced for each input.
class MemoryFile
{
public:
    MemoryFile();
    ~MemoryFile();
    MemoryFile(const MemoryFile &) = delete;
    MemoryFile &operator=(const MemoryFile &) = delete;

    // Holds exactly these bytes from now on; returns the path that opens them.
    const std::string &Hold(const std::uint8_t *data, std::size_t size);

private:
    int m_fd;
    std::string m_path;
};
