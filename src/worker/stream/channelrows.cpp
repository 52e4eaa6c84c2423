#include "worker/stream/channelrows.h"

#include "shared/psd/packbits.h"
#include "shared/psd/sectionreader.h"

#include <zlib.h>

#include <vector>

namespace
{

class RawRows final : public ChannelRows
{
public:
    RawRows(const std::string &path, std::uint64_t start, std::size_t rowBytes)
        : m_data(path), m_rowBytes(rowBytes)
    {
        m_data.Seek(start);
    }
    bool Next(unsigned char *row) override { return m_data.Read(row, m_rowBytes); }

private:
    SectionReader m_data;
    std::size_t m_rowBytes;
};

class RleRows final : public ChannelRows
{
public:
    RleRows(const std::string &path, const PsdHeader &header, std::uint64_t dataOffset, int channel)
        : m_rows(path, header, dataOffset, channel)
    {
    }
    bool Next(unsigned char *row) override { return m_rows.Next(row); }

private:
    PackedRows m_rows;
};

// One zlib stream holds the channels one after another; each channel has an inflater of its
// own that passes over the channels before it.
class ZipRows final : public ChannelRows
{
public:
    ZipRows(const std::string &path, const PsdHeader &header, std::uint64_t dataOffset, int channel,
            bool predicted)
        : m_data(path), m_width(header.width), m_depth(header.depth),
          m_rowBytes(RowBytesOf(header)), m_predicted(predicted), m_input(64 * 1024)
    {
        m_data.Seek(dataOffset);
        m_ok = inflateInit(&m_stream) == Z_OK;
        std::vector<unsigned char> skipped(m_rowBytes);
        for (std::uint64_t y = 0; y < std::uint64_t(channel) * header.height && m_ok; ++y)
            m_ok = Inflate(skipped.data());
    }
    ~ZipRows() override { inflateEnd(&m_stream); }
    ZipRows(const ZipRows &) = delete;
    ZipRows &operator=(const ZipRows &) = delete;

    bool Next(unsigned char *row) override
    {
        m_ok = m_ok && Inflate(row);
        if (m_ok && m_predicted)
            Unpredict(row);
        return m_ok;
    }

private:
    bool Inflate(unsigned char *row);
    void Unpredict(unsigned char *row);

    SectionReader m_data;
    std::size_t m_width;
    int m_depth;
    std::size_t m_rowBytes;
    bool m_predicted;
    std::vector<unsigned char> m_input;
    std::vector<unsigned char> m_planes; // a 32-bit row as stored
    z_stream m_stream = {};
    bool m_ok = false;
};

bool ZipRows::Inflate(unsigned char *row)
{
    m_stream.next_out = row;
    m_stream.avail_out = unsigned(m_rowBytes);
    while (m_stream.avail_out > 0) {
        // zlib may hold output still to come when the input has run out.
        if (m_stream.avail_in == 0 && m_data.Remaining() > 0) {
            const auto size =
                std::size_t(std::min<std::uint64_t>(m_input.size(), m_data.Remaining()));
            if (!m_data.Read(m_input.data(), size))
                return false;
            m_stream.next_in = m_input.data();
            m_stream.avail_in = unsigned(size);
        }
        const int result = inflate(&m_stream, Z_NO_FLUSH);
        // Some writers start a stream of their own for each channel.
        const bool ended = result == Z_STREAM_END && m_stream.avail_out > 0;
        if (ended && (m_stream.avail_in == 0 && m_data.Remaining() == 0))
            return false;
        if (ended && inflateReset(&m_stream) != Z_OK)
            return false;
        // Z_BUF_ERROR: no input left, and nothing more to give.
        if (result != Z_OK && result != Z_STREAM_END)
            return false;
    }
    return true;
}

// Each sample was stored as its difference from the one before it in the row; 32-bit rows
// hold the samples' first bytes, then their second bytes, and so on, and the differences are
// taken over those bytes.
void ZipRows::Unpredict(unsigned char *row)
{
    if (m_depth == 16) {
        unsigned previous = 0;
        for (std::size_t x = 0; x < m_width; ++x) {
            previous = (previous + (unsigned(row[2 * x]) << 8 | row[2 * x + 1])) & 0xFFFF;
            row[2 * x] = (unsigned char)(previous >> 8);
            row[2 * x + 1] = (unsigned char)previous;
        }
        return;
    }
    for (std::size_t i = 1; i < m_rowBytes; ++i)
        row[i] = (unsigned char)(row[i] + row[i - 1]);
    if (m_depth != 32)
        return;
    m_planes.assign(row, row + m_rowBytes);
    for (std::size_t x = 0; x < m_width; ++x) {
        for (std::size_t b = 0; b < 4; ++b)
            row[4 * x + b] = m_planes[b * m_width + x];
    }
}

} // namespace

std::unique_ptr<ChannelRows> OpenChannelRows(const std::string &path, const PsdHeader &header,
                                             Compression compression, std::uint64_t dataOffset,
                                             int channel)
{
    if (compression == Compression::Raw)
        return std::make_unique<RawRows>(
            path, dataOffset + std::uint64_t(channel) * header.height * RowBytesOf(header),
            RowBytesOf(header));
    if (compression == Compression::Rle)
        return std::make_unique<RleRows>(path, header, dataOffset, channel);
    return std::make_unique<ZipRows>(path, header, dataOffset, channel,
                                     compression == Compression::ZipPredicted);
}
