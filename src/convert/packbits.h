#pragma once

// PackBits, the run-length code of PSD rows: a header byte n, then n + 1 literal bytes
// (n < 128), or the next byte repeated 257 - n times (n > 128); 128 does nothing.

#include <cstddef>

// The most bytes a row of `rowBytes` bytes may take packed: literals of one byte take two.
constexpr std::size_t MaxPackedRow(std::size_t rowBytes)
{
    return 2 * rowBytes + 2;
}

// Unpacks one row into `row`, or with `row` null only checks it. True when `packed` yields
// exactly `rowBytes` bytes: no run or literal crosses the row's end, none stops short of it,
// and no byte of `packed` is left over but do-nothing headers.
bool UnpackRow(const unsigned char *packed, std::size_t packedSize, unsigned char *row,
               std::size_t rowBytes);
