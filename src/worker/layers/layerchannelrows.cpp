#include "worker/layers/layerchannelrows.h"

#include "shared/psd/packbits.h"
#include "shared/psd/psdheader.h"
#include "shared/psd/sectionreader.h"
#include "worker/stream/channelrows.h"

#include <algorithm>

namespace
{

// Packed rows read at once: many rows of a layer of ordinary width.
constexpr std::size_t ChunkBytes = std::size_t(64) << 10;

} // namespace

LayerChannelRows::LayerChannelRows(const std::string &path, SectionReader &file,
                                   const LayerChannel &channel, const LayerRect &rect, int depth,
                                   bool psb)
    : m_path(path), m_file(file), m_channel(channel), m_width(std::uint32_t(rect.Width())),
      m_height(std::uint32_t(rect.Height())), m_depth(depth), m_psb(psb),
      m_row(std::size_t(m_width) * BytesPerSample(depth))
{
}

LayerChannelRows::~LayerChannelRows() = default;

// The compression, and what each kind needs before its first row.
bool LayerChannelRows::Start()
{
    m_file.Seek(m_channel.offset);
    const std::uint64_t stored = m_file.Number(2);
    const std::uint64_t rows = m_height;
    const std::uint64_t body = m_channel.length < 2 ? 0 : m_channel.length - 2;
    m_dataAt = m_channel.offset + 2;
    if (m_file.Failed() || m_channel.length < 2 ||
        stored > std::uint64_t(Compression::ZipPredicted)) {
        m_damage = "a layer channel of unknown compression";
        return false;
    }
    m_compression = Compression(stored);
    if (m_compression == Compression::Raw && SaturatingProduct(m_row.size(), rows) > body) {
        m_damage = "layer channel data cut short";
        return false;
    }
    if (IsZip(*m_compression)) {
        const PsdVersion version = m_psb ? PsdVersion::Psb : PsdVersion::Psd;
        const PsdHeader shape{version, 1, m_height, m_width, m_depth, ColorMode::Rgb};
        m_zip = OpenChannelRows(m_path, shape, *m_compression, m_dataAt, 0);
        return true;
    }
    if (m_compression == Compression::Rle) {
        const int countBytes = m_psb ? 4 : 2;
        if (rows * std::uint64_t(countBytes) > body) {
            m_damage = "layer row lengths cut short";
            return false;
        }
        m_packedSizes.resize(rows);
        for (std::uint32_t &size : m_packedSizes)
            size = std::uint32_t(m_file.Number(countBytes));
        m_dataAt += rows * std::uint64_t(countBytes);
        // No more than the channel holds: a document may have hundreds of small layers.
        const std::uint64_t packed = body - rows * std::uint64_t(countBytes);
        m_chunk.resize(std::max(std::size_t(std::min<std::uint64_t>(ChunkBytes, packed)),
                                MaxPackedRow(m_row.size())));
    }
    return !m_file.Failed();
}

// The next `size` packed bytes, read ahead a chunk at a time: the reader is shared by all
// channels, whose rows take turns, and would otherwise fill its whole window for each row.
const unsigned char *LayerChannelRows::Packed(std::uint32_t size, std::uint64_t end)
{
    if (m_dataAt < m_chunkAt || m_dataAt + size > m_chunkAt + m_chunkLength) {
        if (!m_file.Seek(m_dataAt))
            return nullptr;
        const std::uint64_t left = std::min(end - m_dataAt, m_file.Remaining());
        m_chunkAt = m_dataAt;
        m_chunkLength = std::size_t(std::min<std::uint64_t>(m_chunk.size(), left));
        if (!m_file.Read(m_chunk.data(), m_chunkLength))
            return nullptr;
    }
    return size <= m_chunkAt + m_chunkLength - m_dataAt ? m_chunk.data() + (m_dataAt - m_chunkAt)
                                                        : nullptr;
}

bool LayerChannelRows::NextRle(unsigned char *row)
{
    const std::uint32_t size = m_packedSizes[m_next];
    const std::uint64_t end = m_channel.offset + m_channel.length;
    if (size > MaxPackedRow(m_row.size()) || size > end - m_dataAt) {
        m_damage = "a packed layer row runs past its channel";
        return false;
    }
    const unsigned char *packed = Packed(size, end);
    m_dataAt += size;
    if (packed == nullptr || !UnpackRow(packed, size, row, m_row.size())) {
        m_damage = "a packed layer row does not fill its width exactly";
        return false;
    }
    return true;
}

const unsigned char *LayerChannelRows::Row(std::uint32_t y)
{
    if (!m_damage.empty() || y >= m_height || (!m_compression && !Start()))
        return nullptr;
    for (; m_next <= y; ++m_next) {
        bool read = true;
        if (m_compression == Compression::Raw) {
            m_file.Seek(m_dataAt + std::uint64_t(y) * m_row.size());
            m_next = y;
            read = m_file.Read(m_row.data(), m_row.size());
        } else if (m_compression == Compression::Rle) {
            read = NextRle(m_row.data());
        } else {
            read = m_zip && m_zip->Next(m_row.data());
        }
        if (!read) {
            m_damage = m_damage.empty() ? "damaged layer channel data" : m_damage;
            return nullptr;
        }
    }
    return m_row.data();
}
