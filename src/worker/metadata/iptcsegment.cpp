#include "worker/metadata/iptcsegment.h"

#include "worker/metadata/digest.h"
#include "worker/metadata/exivwatch.h"

#include <exiv2/exiv2.hpp>

namespace
{

constexpr std::string_view PhotoshopHeader{"Photoshop 3.0\0", 14};
constexpr std::uint16_t IptcResource = 1028;
constexpr std::uint16_t DigestResource = 1061;

// "8BIM", the id, an empty name padded to two bytes, the size, the data padded to even length.
std::string ImageResource(std::uint16_t id, const std::string &data)
{
    const std::size_t size = data.size();
    std::string block{'8', 'B', 'I', 'M', char(id >> 8), char(id & 0xFF), 0, 0};
    block +=
        {char(size >> 24), char((size >> 16) & 0xFF), char((size >> 8) & 0xFF), char(size & 0xFF)};
    block += data;
    if (size % 2 != 0)
        block += '\0';
    return block;
}

} // namespace

SegmentsOrReason IptcSegment(const std::string &records)
{
    Exiv2::IptcData iptc;
    std::string encoded;
    const bool read = RunCleanly([&] {
        const int failed =
            Exiv2::IptcParser::decode(iptc, reinterpret_cast<const Exiv2::byte *>(records.data()),
                                      std::uint32_t(records.size()));
        if (failed != 0 || iptc.empty())
            return false;
        const Exiv2::DataBuf buffer = Exiv2::IptcParser::encode(iptc);
        encoded.assign(reinterpret_cast<const char *>(buffer.pData_), std::size_t(buffer.size_));
        return !encoded.empty();
    });
    if (!read)
        return {{}, "damaged"};
    std::string payload(PhotoshopHeader);
    payload += ImageResource(IptcResource, encoded);
    payload += ImageResource(DigestResource, Md5Of(encoded));
    if (payload.size() > MaxSegmentPayload)
        return {{}, "too large"};
    return {JpegSegment(App13, payload), {}};
}
