#include "shared/psd/packbits.h"

#include "shared/psd/psdheader.h"

#include <cstring>

bool UnpackRow(const unsigned char *packed, std::size_t packedSize, unsigned char *row,
               std::size_t rowBytes)
{
    std::size_t in = 0;
    std::size_t out = 0;
    while (in < packedSize) {
        const unsigned header = packed[in++];
        if (header == 128)
            continue;
        const std::size_t count = header < 128 ? header + 1 : 257 - header;
        const std::size_t needed = header < 128 ? count : 1;
        if (count > rowBytes - out || needed > packedSize - in)
            return false;
        if (row != nullptr && header < 128)
            std::memcpy(row + out, packed + in, count);
        else if (row != nullptr)
            std::memset(row + out, packed[in], count);
        in += needed;
        out += count;
    }
    return out == rowBytes;
}

PackedRows::PackedRows(const std::string &path, const PsdHeader &header, std::uint64_t dataOffset,
                       int channel)
    : m_counts(path), m_data(path), m_countBytes(header.version == PsdVersion::Psb ? 4 : 2),
      m_rowBytes(RowBytesOf(header)), m_packed(MaxPackedRow(m_rowBytes))
{
    const std::uint64_t rows = std::uint64_t(header.channels) * header.height;
    // The rows of the channels before this one come first.
    std::uint64_t start = dataOffset + rows * std::uint64_t(m_countBytes);
    m_counts.Seek(dataOffset);
    for (std::uint64_t i = 0; i < std::uint64_t(channel) * header.height; ++i)
        start += m_counts.Number(m_countBytes);
    m_data.Seek(start);
}

bool PackedRows::Next(unsigned char *row)
{
    const std::uint64_t size = m_counts.Number(m_countBytes);
    m_cutShort = m_counts.Failed() || size > m_data.Remaining() || m_data.Failed();
    return !m_cutShort && size <= m_packed.size() &&
           m_data.Read(m_packed.data(), std::size_t(size)) &&
           UnpackRow(m_packed.data(), std::size_t(size), row, m_rowBytes);
}
