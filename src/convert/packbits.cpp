#include "packbits.h"

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
