#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::uint64_t BigEndian(const unsigned char *bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

SectionReader::SectionReader(const std::string &path)
    : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_window(64 * 1024)
{
    struct stat status = {};
    m_failed = m_fd < 0 || fstat(m_fd, &status) != 0;
    m_size = m_failed ? 0 : std::uint64_t(status.st_size);
}

SectionReader::~SectionReader()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool SectionReader::Seek(std::uint64_t position)
{
    m_failed = m_failed || position > m_size;
    if (!m_failed)
        m_position = position;
    return !m_failed;
}

std::uint64_t SectionReader::Number(int bytes)
{
    unsigned char buffer[8] = {};
    return Read(buffer, std::size_t(bytes)) ? BigEndian(buffer, bytes) : 0;
}

bool SectionReader::Read(unsigned char *buffer, std::size_t count)
{
    m_failed = m_failed || count > Remaining();
    while (!m_failed && count > 0) {
        if (m_position < m_windowStart || m_position >= m_windowStart + m_windowLength)
            Fill();
        const std::size_t offset = std::size_t(m_position - m_windowStart);
        const std::size_t part = std::min(count, m_windowLength - offset);
        std::copy_n(m_window.data() + offset, part, buffer);
        buffer += part;
        count -= part;
        m_position += part;
    }
    return !m_failed;
}

void SectionReader::Fill()
{
    const ssize_t got = pread(m_fd, m_window.data(), m_window.size(), off_t(m_position));
    m_failed = got <= 0;
    m_windowStart = m_position;
    m_windowLength = m_failed ? 0 : std::size_t(got);
}
