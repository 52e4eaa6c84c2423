#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A big-endian number of `count` bytes (at most 8).
std::uint64_t BigEndian(const unsigned char *bytes, int count);

// Reads big-endian fields in order and never past the end of the file, through a window of
// the file so that small fields and short skips cost no system call each. After the first
// failure every read yields 0 and Failed() stays true: a walk reads a run of fields and asks
// once whether they were all there, rather than after each.
class SectionReader
{
public:
    explicit SectionReader(const std::string &path);
    ~SectionReader();
    SectionReader(const SectionReader &) = delete;
    SectionReader &operator=(const SectionReader &) = delete;

    bool Failed() const { return m_failed; }
    std::uint64_t Position() const { return m_position; }
    std::uint64_t Remaining() const { return m_size - m_position; }

    bool Seek(std::uint64_t position);
    bool Skip(std::uint64_t count)
    {
        return Seek(count > Remaining() ? m_size + 1 : m_position + count);
    }
    std::uint64_t Number(int bytes);
    // A section length: four bytes, or eight in a PSB where the format says so.
    std::uint64_t Length(bool wide) { return Number(wide ? 8 : 4); }
    bool Read(unsigned char *buffer, std::size_t count);

private:
    void Fill();

    int m_fd;
    std::vector<unsigned char> m_window;
    std::uint64_t m_windowStart = 0;
    std::size_t m_windowLength = 0;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
    bool m_failed = false;
};
