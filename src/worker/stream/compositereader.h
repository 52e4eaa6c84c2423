#pragma once

#include "shared/psd/psdheader.h"
#include "worker/stream/channelrows.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Bands of rows of a PSD's merged image, read across its planar channels: each pixel's
// samples interleaved, the first `channels` channels in file order, in native byte order
// (8-bit: uint8, 16-bit: uint16, 32-bit: float). Holds a row per channel, never the image.
class CompositeReader
{
public:
    CompositeReader(const std::string &path, const PsdHeader &header, Compression compression,
                    std::uint64_t dataOffset, int channels);

    std::size_t BytesPerPixel() const { return m_channels.size() * m_sampleBytes; }
    // The next `rows` rows into samples, which holds rows * width * BytesPerPixel() bytes;
    // false when the data is damaged or cut short.
    bool ReadBand(std::uint32_t rows, unsigned char *samples);

private:
    void Interleave(std::size_t channel, unsigned char *pixels) const;

    std::uint32_t m_width;
    std::size_t m_sampleBytes;
    std::vector<std::unique_ptr<ChannelRows>> m_channels;
    std::vector<unsigned char> m_row;
};
