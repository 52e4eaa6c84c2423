#pragma once

#include "shared/psd/psdcontents.h"

#include <cstdint>
#include <memory>
#include <string>

// The rows of one channel of a PSD's merged image data, in order, as stored (big-endian
// samples), whatever the compression: raw, RLE, or ZIP with or without prediction. Holds a
// row or two, never the image.
class ChannelRows
{
public:
    virtual ~ChannelRows() = default;
    // The next row, as many bytes as a row of the channel holds, into row; false when the data
    // is damaged or cut short.
    virtual bool Next(unsigned char *row) = 0;
};

// The rows of `channel`, from the merged image data at dataOffset (after its compression
// field).
std::unique_ptr<ChannelRows> OpenChannelRows(const std::string &path, const PsdHeader &header,
                                             Compression compression, std::uint64_t dataOffset,
                                             int channel);
