#include "shared/psd/layersection.h"

#include "shared/limits.h"
#include "shared/psd/layerblocks.h"
#include "shared/psd/psdheader.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{

constexpr std::uint32_t Signature8Bim = 0x3842494D;

// Where and how the records lie: the reader stands at the layer count.
struct LayerInfo {
    SectionReader &reader;
    std::uint64_t end;
    bool psb;
    std::int64_t maxSide;
};

// The bytes left before `end`: none once a field read across it has left the reader past it,
// where `end - Position()` would wrap and let any length through.
std::uint64_t RoomBefore(const SectionReader &reader, std::uint64_t end)
{
    return reader.Position() < end ? end - reader.Position() : 0;
}

std::int32_t Signed32(SectionReader &reader)
{
    return std::int32_t(std::uint32_t(reader.Number(4)));
}

bool ReadRect(SectionReader &reader, LayerRect &rect, std::int64_t maxSide)
{
    rect.top = Signed32(reader);
    rect.left = Signed32(reader);
    rect.bottom = Signed32(reader);
    rect.right = Signed32(reader);
    // Some writers leave an empty layer's rectangle upside down.
    if (rect.IsEmpty())
        return true;
    return rect.Width() <= maxSide && rect.Height() <= maxSide;
}

std::string ReadChannels(const LayerInfo &info, LayerRecord &layer)
{
    const std::uint64_t count = info.reader.Number(2);
    if (count > std::uint64_t(MaxChannels))
        return "a layer has more than " + std::to_string(MaxChannels) + " channels";
    for (std::uint64_t i = 0; i < count; ++i) {
        LayerChannel channel;
        channel.id = std::int16_t(info.reader.Number(2));
        channel.length = info.reader.Length(info.psb);
        if (channel.id < int(ChannelId::RealMask))
            return "a layer channel of unknown kind";
        layer.channels.push_back(channel);
    }
    return "";
}

// The mask's rectangle, colour outside it and flags; the user's own mask after them where -2
// holds a rendered vector mask; then density and feather where the flags say so.
bool ReadMaskData(const LayerInfo &info, LayerRecord &layer)
{
    SectionReader &reader = info.reader;
    const std::uint64_t length = reader.Number(4);
    const std::uint64_t end = reader.Position() + length;
    if (length > RoomBefore(reader, info.end))
        return false;
    if (length < 18)
        return reader.Seek(end);
    LayerMask &mask = layer.mask;
    mask.present = ReadRect(reader, mask.rect, info.maxSide);
    mask.defaultColor = int(reader.Number(1));
    const auto flags = unsigned(reader.Number(1));
    mask.disabled = (flags & 2) != 0;
    mask.inverted = (flags & 4) != 0;
    mask.fromVector = (flags & 8) != 0;
    if (!mask.present)
        return false;
    if (length >= 36) {
        LayerMask &real = layer.realMask;
        real.disabled = (reader.Number(1) & 2) != 0;
        real.defaultColor = int(reader.Number(1));
        real.present = ReadRect(reader, real.rect, info.maxSide);
    }
    if ((flags & 16) != 0 && reader.Position() < end)
        ReadMaskParameters(reader, layer);
    return !reader.Failed() && reader.Position() <= end && reader.Seek(end);
}

// Each range a pair of black and white points, 0 0 255 255 where nothing is kept out.
bool ReadBlendingRanges(const LayerInfo &info, LayerRecord &layer)
{
    const std::uint64_t length = info.reader.Number(4);
    if (length > RoomBefore(info.reader, info.end))
        return false;
    for (std::uint64_t i = 0; i + 4 <= length; i += 4)
        layer.defaultBlendingRanges =
            info.reader.Number(4) == 0x0000FFFF && layer.defaultBlendingRanges;
    return info.reader.Skip(length % 4);
}

// The name: a length byte and its bytes, padded to a multiple of four.
void ReadName(SectionReader &reader, LayerRecord &layer)
{
    const std::uint64_t length = reader.Number(1);
    layer.name.resize(length);
    reader.Read(reinterpret_cast<unsigned char *>(layer.name.data()), length);
    reader.Skip((4 - (length + 1) % 4) % 4);
}

std::string ReadRecord(const LayerInfo &info, LayerRecord &layer)
{
    SectionReader &reader = info.reader;
    if (!ReadRect(reader, layer.rect, info.maxSide))
        return "a layer larger than the format allows";
    if (std::string damage = ReadChannels(info, layer); !damage.empty())
        return damage;
    if (reader.Number(4) != Signature8Bim)
        return "a layer record without its signature";
    layer.blendMode = FourCharacters(reader);
    layer.opacity = int(reader.Number(1));
    layer.clipped = reader.Number(1) != 0;
    layer.hidden = (reader.Number(1) & 2) != 0;
    reader.Skip(1);
    const std::uint64_t extraLength = reader.Number(4);
    if (reader.Failed() || extraLength > RoomBefore(reader, info.end))
        return "a layer record runs past its section";
    const std::uint64_t extraEnd = reader.Position() + extraLength;
    const LayerInfo extra{reader, extraEnd, info.psb, info.maxSide};
    if (!ReadMaskData(extra, layer))
        return "damaged layer mask data";
    if (!ReadBlendingRanges(extra, layer))
        return "damaged blending ranges";
    ReadName(reader, layer);
    if (reader.Failed() || reader.Position() > extraEnd)
        return "damaged layer name";
    if (!ReadLayerBlocks(reader, extraEnd, info.psb, layer))
        return "damaged additional layer information";
    return reader.Seek(extraEnd) ? "" : "a layer record runs past its section";
}

// Channel data follows the records in their order, each channel's after the one before.
std::string PlaceChannels(const LayerInfo &info, LayerSection &section)
{
    std::uint64_t at = info.reader.Position();
    for (LayerRecord &layer : section.layers) {
        for (LayerChannel &channel : layer.channels) {
            if (channel.length > info.end - at)
                return "layer channel data cut short";
            channel.offset = at;
            at += channel.length;
        }
    }
    return "";
}

std::string ReadLayerInfo(const LayerInfo &info, LayerSection &section)
{
    const auto count = std::uint64_t(std::abs(std::int16_t(info.reader.Number(2))));
    // A record takes at least 34 bytes.
    if (info.reader.Failed() || count > RoomBefore(info.reader, info.end) / 34)
        return "more layers than the section holds";
    section.layers.resize(count);
    for (LayerRecord &layer : section.layers) {
        if (std::string damage = ReadRecord(info, layer); !damage.empty())
            return damage;
    }
    return PlaceChannels(info, section);
}

// 16- and 32-bit documents keep their records in a block after the global mask.
std::string ReadWideLayerInfo(SectionReader &reader, std::uint64_t end, bool psb,
                              std::int64_t maxSide, LayerSection &section)
{
    const std::uint64_t globalMask = reader.Number(4);
    if (reader.Failed() || globalMask > RoomBefore(reader, end) || !reader.Skip(globalMask))
        return "";
    const auto block = FindSectionBlock(reader, end, psb, {"Lr16", "Lr32", "Layr"});
    if (!block)
        return "";
    reader.Seek(block->offset);
    return ReadLayerInfo({reader, block->offset + block->length, psb, maxSide}, section);
}

// The patterns that fills kept without pixels and pattern overlays name, from the blocks
// after the layers.
void AttachPatterns(SectionReader &reader, std::uint64_t from, std::uint64_t end, bool psb,
                    LayerSection &section)
{
    std::vector<PatternFill *> fills;
    for (LayerRecord &layer : section.layers) {
        if (layer.FillsWithoutPixels() && layer.patternFill.present)
            fills.push_back(&layer.patternFill);
        for (LayerEffect &effect : layer.style.effects) {
            if (effect.kind == EffectKind::PatternOverlay)
                fills.push_back(&effect.pattern);
        }
    }
    if (fills.empty() || !reader.Seek(from))
        return;
    reader.Skip(reader.Number(4)); // the global mask
    std::vector<std::shared_ptr<const Pattern>> patterns;
    while (const auto block = FindSectionBlock(reader, end, psb, {"Patt", "Pat2", "Pat3"})) {
        const std::uint64_t after = reader.Position();
        reader.Seek(block->offset);
        for (Pattern &pattern : ReadPatterns(reader, block->offset + block->length))
            patterns.push_back(std::make_shared<const Pattern>(std::move(pattern)));
        reader.Seek(after);
    }
    for (PatternFill *fill : fills) {
        const auto named = std::find_if(patterns.cbegin(), patterns.cend(),
                                        [&](const auto &p) { return p->id == fill->id; });
        if (named != patterns.cend())
            fill->pattern = *named;
    }
}

// The records, or what of the section does not hold.
std::string ReadSection(SectionReader &reader, bool psb, LayerSection &section)
{
    const std::int64_t maxSide = psb ? MaxJpegSide : MaxSidePsd;
    reader.Seek(PsdHeaderBytes);
    reader.Skip(reader.Number(4));
    reader.Skip(reader.Number(4));
    const std::uint64_t length = reader.Length(psb);
    if (reader.Failed() || length > reader.Remaining())
        return "damaged layer section";
    const std::uint64_t end = reader.Position() + length;
    if (length == 0)
        return "";
    const std::uint64_t infoLength = reader.Length(psb);
    if (reader.Failed() || infoLength > RoomBefore(reader, end))
        return "damaged layer section";
    const std::uint64_t infoEnd = reader.Position() + infoLength;
    std::string damage;
    if (infoLength > 0)
        damage = ReadLayerInfo({reader, infoEnd, psb, maxSide}, section);
    else if (reader.Seek(infoEnd))
        damage = ReadWideLayerInfo(reader, end, psb, maxSide, section);
    if (damage.empty())
        AttachPatterns(reader, infoEnd, end, psb, section);
    return damage;
}

} // namespace

Failure DamagedLayerData(const std::string &what)
{
    return {wire::Status::Unreadable, "damaged layer data: " + what};
}

Result<LayerSection> ReadLayerSection(const std::string &path, const PsdHeader &header)
{
    LayerSection section;
    SectionReader reader(path);
    if (const std::string damage = ReadSection(reader, header.version == PsdVersion::Psb, section);
        !damage.empty())
        return DamagedLayerData(damage);
    return section;
}

Result<LayerSection> ReadLayerSection(const std::string &path)
{
    return ReadPsdHeader(path).Then(
        [&](const PsdHeader &header) { return ReadLayerSection(path, header); });
}
