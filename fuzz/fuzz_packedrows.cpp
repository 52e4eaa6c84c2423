// PackBits rows: one row of any bytes, and the packed rows of every channel of RLE image data,
// with their byte counts, from a file of any bytes.
#include "memoryfile.h"
#include "shared/psd/packbits.h"
#include "streamshape.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile file;
    FuzzBytes input(data, size);
    const StreamShape shape = StreamShape::Read(input);
    const std::string &path = file.Hold(input.Rest(), input.RestSize());
    std::vector<unsigned char> row(RowBytesOf(shape.header));
    UnpackRow(input.Rest(), input.RestSize(), nullptr, row.size());
    UnpackRow(input.Rest(), input.RestSize(), row.data(), row.size());
    for (int channel = 0; channel < shape.header.channels; ++channel) {
        PackedRows rows(path, shape.header, shape.dataOffset, channel);
        for (std::uint32_t y = 0; y < shape.header.height; ++y)
            rows.Next(y % 2 == 0 ? row.data() : nullptr);
    }
    return 0;
}
