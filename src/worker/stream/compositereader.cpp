#include "worker/stream/compositereader.h"

#include <cstring>

CompositeReader::CompositeReader(const std::string &path, const PsdHeader &header,
                                 Compression compression, std::uint64_t dataOffset, int channels)
    : m_width(header.width), m_sampleBytes(BytesPerSample(header.depth)), m_row(RowBytesOf(header))
{
    for (int c = 0; c < channels; ++c)
        m_channels.push_back(OpenChannelRows(path, header, compression, dataOffset, c));
}

bool CompositeReader::ReadBand(std::uint32_t rows, unsigned char *samples)
{
    const std::size_t rowBytes = std::size_t(m_width) * BytesPerPixel();
    for (std::uint32_t y = 0; y < rows; ++y) {
        for (std::size_t c = 0; c < m_channels.size(); ++c) {
            if (!m_channels[c]->Next(m_row.data()))
                return false;
            Interleave(c, samples + y * rowBytes);
        }
    }
    return true;
}

// Big-endian samples of one channel's row into their places among the pixels.
void CompositeReader::Interleave(std::size_t channel, unsigned char *pixels) const
{
    const std::size_t stride = BytesPerPixel();
    unsigned char *out = pixels + channel * m_sampleBytes;
    const unsigned char *in = m_row.data();
    for (std::uint32_t x = 0; x < m_width; ++x, out += stride, in += m_sampleBytes) {
        if (m_sampleBytes == 1) {
            *out = *in;
        } else if (m_sampleBytes == 2) {
            const auto value = std::uint16_t(in[0] << 8 | in[1]);
            std::memcpy(out, &value, 2);
        } else {
            const std::uint32_t value = std::uint32_t(in[0]) << 24 | std::uint32_t(in[1]) << 16 |
                                        std::uint32_t(in[2]) << 8 | in[3];
            std::memcpy(out, &value, 4);
        }
    }
}
