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
// straight from the file through a reader shared by all channels, ZIP ones (with or without
// prediction) through an inflater of their own. Holds a row and, for RLE, the row lengths.
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
    std::vector<unsigned char> m_packed;
    std::vector<unsigned char> m_row;
    std::unique_ptr<ChannelRows> m_zip;
    std::string m_damage;
};
