#include "worker/metadata/xmpsegments.h"

#include "worker/metadata/digest.h"
#include "worker/metadata/exivwatch.h"
#include "worker/metadata/xmptruth.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <map>

namespace
{

constexpr std::string_view MainHeader{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view ExtensionHeader{"http://ns.adobe.com/xmp/extension/\0", 35};
constexpr std::size_t GuidBytes = 32;
constexpr std::size_t MaxMainPacket = MaxSegmentPayload - MainHeader.size();
constexpr std::size_t MaxChunk = MaxSegmentPayload - ExtensionHeader.size() - GuidBytes - 8;

std::string Serialised(const Exiv2::XmpData &xmp, bool wrapped)
{
    std::string packet;
    const auto flags = std::uint16_t(Exiv2::XmpParser::useCompactFormat |
                                     (wrapped ? 0 : Exiv2::XmpParser::omitPacketWrapper));
    if (Exiv2::XmpParser::encode(packet, xmp, flags, 0) != 0)
        throw Exiv2::Error(Exiv2::kerErrorMessage, "XMP not serialised");
    return packet;
}

// Photoshop's history of ancestors is most of a large packet, and parsing it takes longer than
// converting a small picture: it is cut out of the text before exiv2 sees it.
std::string WithoutAncestors(const std::string &packet)
{
    const std::string_view open = "<photoshop:DocumentAncestors";
    const std::string_view close = "</photoshop:DocumentAncestors>";
    const std::size_t start = packet.find(open);
    const std::size_t end = start == std::string::npos ? start : packet.find(close, start);
    if (end == std::string::npos)
        return packet;
    return packet.substr(0, start) + packet.substr(end + close.size());
}

// A top-level property, with everything nested in it: "Xmp.dc.subject" of "Xmp.dc.subject[2]".
std::string PropertyOf(const std::string &key)
{
    const std::size_t nameStart = key.find('.', 4) + 1;
    return key.substr(0, key.find_first_of("[/", nameStart));
}

// The top-level properties with their rough sizes, largest first.
std::vector<std::pair<std::size_t, std::string>> PropertiesBySize(const Exiv2::XmpData &xmp)
{
    std::map<std::string, std::size_t> sizes;
    for (const Exiv2::Xmpdatum &datum : xmp)
        sizes[PropertyOf(datum.key())] += datum.key().size() + std::size_t(datum.size());
    std::vector<std::pair<std::size_t, std::string>> order;
    for (const auto &[property, size] : sizes)
        order.emplace_back(size, property);
    std::sort(order.rbegin(), order.rend());
    return order;
}

// Moves one top-level property from one packet to the other.
void Move(const std::string &property, Exiv2::XmpData &from, Exiv2::XmpData &to)
{
    for (auto it = from.begin(); it != from.end();) {
        if (PropertyOf(it->key()) != property) {
            ++it;
            continue;
        }
        to.add(*it);
        it = from.erase(it);
    }
}

std::string BigEndian32(std::size_t value)
{
    return {char(value >> 24), char((value >> 16) & 0xFF), char((value >> 8) & 0xFF),
            char(value & 0xFF)};
}

std::string ExtensionSegments(const std::string &extended, const std::string &guid)
{
    std::string segments;
    for (std::size_t offset = 0; offset < extended.size(); offset += MaxChunk) {
        std::string payload(ExtensionHeader);
        payload += guid + BigEndian32(extended.size()) + BigEndian32(offset);
        payload.append(extended, offset, MaxChunk);
        segments += JpegSegment(App1, payload);
    }
    return segments;
}

// The largest properties go to the extended packet until the main one fits its segment. The
// main packet is serialised only once a rough count says it may fit: a packet of many small
// properties would otherwise be serialised once for each.
SegmentsOrReason Split(Exiv2::XmpData &main)
{
    const char *const pointer = "Xmp.xmpNote.HasExtendedXMP";
    main[pointer] = std::string(GuidBytes, '0');
    std::vector<std::pair<std::size_t, std::string>> properties = PropertiesBySize(main);
    std::size_t rough = 0;
    for (const auto &property : properties)
        rough += property.first;
    Exiv2::XmpData extended;
    for (const auto &[size, property] : properties) {
        if (property == pointer)
            continue;
        Move(property, main, extended);
        rough -= size;
        if (rough > MaxMainPacket || Serialised(main, true).size() > MaxMainPacket)
            continue;
        const std::string extendedPacket = Serialised(extended, false);
        const std::string guid = Md5HexOf(extendedPacket);
        main[pointer] = guid;
        return {JpegSegment(App1, std::string(MainHeader) + Serialised(main, true)) +
                    ExtensionSegments(extendedPacket, guid),
                {}};
    }
    return {{}, "too large"};
}

} // namespace

SegmentsOrReason XmpSegments(const std::string &packet, const PictureFacts &facts,
                             const std::optional<Resolution> &resolution)
{
    Exiv2::XmpData xmp;
    const bool read = RunCleanly([&] {
        Exiv2::XmpProperties::registerNs("http://ns.adobe.com/xmp/note/", "xmpNote");
        return Exiv2::XmpParser::decode(xmp, WithoutAncestors(packet)) == 0;
    });
    if (!read)
        return {{}, "damaged"};
    // Nothing but the ancestors, say.
    if (xmp.empty())
        return {};
    SegmentsOrReason result;
    const bool written = RunCleanly([&] {
        MakeXmpTrue(xmp, facts, resolution);
        const std::string main = Serialised(xmp, true);
        result = main.size() <= MaxMainPacket
                     ? SegmentsOrReason{JpegSegment(App1, std::string(MainHeader) + main), {}}
                     : Split(xmp);
        return true;
    });
    if (!written)
        return {{}, "damaged"};
    return result;
}
