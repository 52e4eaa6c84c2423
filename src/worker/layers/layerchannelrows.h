#pragma once

#include "shared/psd/layerrecord.h"
#include "shared/psd/psdcontents.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChannelRows;
class SectionReader;

// The rows of one layer channel, decoded on demand in top-to-bottom order: raw and RLE rows
// straight from the file through a reader shared by all channels (RLE ones a chunk at a time), ZIP
// ones (with or without prediction) through an inflater of their own. Holds a row and, for RLE, the
// row lengths and a chunk of packed rows.
class LayerChannelRows
{
public:
    LayerChannelRows(const std::string &path, SectionReader &file, const LayerChannel &channel,
                     const LayerRect &rect, int depth, bool psb);
    ~LayerChannelRows();
    LayerChannelRows(const LayerChannelRows &) = delete;
    LayerChannelRows &operator=(const LayerChannelRows &) = delete;

    // Row y of the channel's rectangle, big-endian as stored; y never goes back. nullptr when
    // the data is damaged, and Damage() says how.
    const unsigned char *Row(std::uint32_t y);
    const std::string &Damage() const { return m_damage; }

private:
    bool Start();
    const unsigned char *Packed(std::uint32_t size, std::uint64_t end);
    bool NextRle(unsigned char *row);

    std::string m_path;
    SectionReader &m_file;
    LayerChannel m_channel;
    std::uint32_t m_width;
    std::uint32_t m_height;
    int m_depth;
    bool m_psb;
    std::optional<Compression> m_compression; // once Start has read it
    std::uint32_t m_next = 0;                 // the row the data stands at
    std::uint64_t m_dataAt = 0;
    std::vector<std::uint32_t> m_packedSizes;
    std::vector<unsigned char> m_chunk; // packed rows read ahead, from m_chunkAt on
    std::uint64_t m_chunkAt = 0;
    std::size_t m_chunkLength = 0;
    std::vector<unsigned char> m_row;
    std::unique_ptr<ChannelRows> m_zip;
    std::string m_damage;
};
