#pragma once

// PackBits, the run-length code of PSD rows: a header byte n, then n + 1 literal bytes
// (n < 128), or the next byte repeated 257 - n times (n > 128); 128 does nothing.

#include "shared/psd/sectionreader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PsdHeader;

// The packed rows of RLE image data, in order from the first row of `channel`: the data holds
// the byte count of every row of every channel, then the rows.
class PackedRows
{
public:
    // dataOffset: where the image data begins, after its compression field.
    PackedRows(const std::string &path, const PsdHeader &header, std::uint64_t dataOffset,
               int channel);
    // The next row unpacked into `row`, or with `row` null only checked; false when it does
    // not fill its width exactly or the data ends first.
    bool Next(unsigned char *row);
    // Whether the last Next failed because the data ended, not because its row was bad.
    bool CutShort() const { return m_cutShort; }

private:
    SectionReader m_counts;
    SectionReader m_data;
    int m_countBytes;
    std::size_t m_rowBytes;
    std::vector<unsigned char> m_packed;
    bool m_cutShort = false;
};
