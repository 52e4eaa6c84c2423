#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct PsdHeader;

// The rows of one channel of a PSD's merged image data, in order, as stored (big-endian
// samples), whatever the compression: raw, RLE, or ZIP with or without prediction. Holds a
// row or two, never the image.
class ChannelRows
{
public:
    virtual ~ChannelRows() = default;
    // The next row, RowBytes() long, into row; false when the data is damaged or cut short.
    virtual bool Next(unsigned char *row) = 0;
};

// The rows of `channel`, from the merged image data at dataOffset (after its compression
// field); nullptr when the compression is unknown.
std::unique_ptr<ChannelRows> OpenChannelRows(const std::string &path, const PsdHeader &header,
                                             int compression, std::uint64_t dataOffset,
                                             int channel);
