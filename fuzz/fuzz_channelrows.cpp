// The streaming reader's rows across the channels, raw, RLE or ZIP with or without prediction,
// at 8, 16 or 32 bits, from a file of any bytes.
#include "memoryfile.h"
#include "streamshape.h"
#include "worker/stream/compositereader.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile file;
    FuzzBytes input(data, size);
    const StreamShape shape = StreamShape::Read(input);
    // The worker streams no 1-bit data.
    if (shape.header.depth == 1)
        return 0;
    const std::string &path = file.Hold(input.Rest(), input.RestSize());
    CompositeReader reader(path, shape.header, shape.compression, shape.dataOffset,
                           shape.header.channels);
    std::vector<unsigned char> samples(std::size_t(shape.header.width) * shape.header.height *
                                       reader.BytesPerPixel());
    reader.ReadBand(shape.header.height, samples.data());
    return 0;
}
