#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A fuzz input read front to back: a few numbers that steer a target, then the bytes left.
// Past the end every number is 0 and every string empty.
class FuzzBytes
{
public:
    FuzzBytes(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    // A little-endian number of `count` bytes, at most 8.
    std::uint64_t Number(int count)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < count && m_size > 0; ++i, ++m_data, --m_size)
            value |= std::uint64_t(*m_data) << (8 * i);
        return value;
    }
    // One of `choices`, picked by the next byte.
    template <typename T, std::size_t N> T Pick(const T (&choices)[N])
    {
        return choices[Number(1) % N];
    }
    // The next `count` bytes, or as many as are left.
    std::string Take(std::size_t count)
    {
        count = count < m_size ? count : m_size;
        std::string bytes(reinterpret_cast<const char *>(m_data), count);
        m_data += count;
        m_size -= count;
        return bytes;
    }
    const std::uint8_t *Rest() const { return m_data; }
    std::size_t RestSize() const { return m_size; }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
};
