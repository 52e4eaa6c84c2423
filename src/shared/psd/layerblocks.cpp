#include "shared/psd/layerblocks.h"

#include "shared/psd/layeradjustment.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace
{

// Keys whose length takes eight bytes in a PSB.
bool HasWideLength(const std::string &key)
{
    static const char *const wide[] = {"LMsk", "Lr16", "Lr32", "Layr", "Mt16", "Mt32", "Mtrn",
                                       "Alph", "FMsk", "lnk2", "FEid", "FXid", "PxSD"};
    return std::any_of(std::begin(wide), std::end(wide),
                       [&](const char *candidate) { return key == candidate; });
}

bool IsSignature(const std::string &text)
{
    return text == "8BIM" || text == "8B64";
}

// Writers pad blocks to two or four bytes, and some leave the pad out of the length: up to
// three zero bytes before the next signature are the pad.
void SkipPad(SectionReader &reader, std::uint64_t end)
{
    for (int pad = 0; pad < 3 && end - reader.Position() >= 4; ++pad) {
        const std::uint64_t at = reader.Position();
        const bool next = IsSignature(FourCharacters(reader));
        reader.Seek(next ? at : at + 1);
        if (next)
            return;
    }
}

// The next block's key, offset and length; nullopt at the end or where it runs past it.
std::optional<LayerInfoBlock> NextBlock(SectionReader &reader, std::uint64_t end, bool psb)
{
    if (end - reader.Position() < 12 || !IsSignature(FourCharacters(reader)))
        return std::nullopt;
    LayerInfoBlock block;
    block.key = FourCharacters(reader);
    block.length = reader.Length(psb && HasWideLength(block.key));
    block.offset = reader.Position();
    if (reader.Failed() || block.offset > end || block.length > end - block.offset)
        return std::nullopt;
    reader.Seek(block.offset + block.length);
    SkipPad(reader, end);
    return block;
}

void TakeDivider(SectionReader &reader, const LayerInfoBlock &block, LayerRecord &layer)
{
    const std::uint64_t type = reader.Number(4);
    layer.divider = type <= 3 ? Divider(type) : Divider::None;
    // A group's blend mode is the divider's where it names one: "pass" only shows here.
    if (block.length >= 12 && reader.Number(4) == 0x3842494D)
        layer.blendMode = FourCharacters(reader);
}

void TakeBlock(SectionReader &reader, const LayerInfoBlock &block, LayerRecord &layer)
{
    // Invert is the one block whose settings are its key alone.
    if (block.length == 0 && block.key != "nvrt")
        return;
    const std::uint64_t after = reader.Position();
    reader.Seek(block.offset);
    if (block.key == "lsct" || block.key == "lsdk")
        TakeDivider(reader, block, layer);
    else if (block.key == "iOpa")
        layer.fillOpacity = int(reader.Number(1));
    else if (block.key == "knko")
        layer.knockout = reader.Number(1) != 0;
    else if (block.key == "clbl")
        layer.blendClippedAsGroup = reader.Number(1) != 0;
    else if (block.key == "infx")
        layer.blendInteriorAsGroup = reader.Number(1) != 0;
    else if (block.key == "brst")
        layer.restrictsChannels = true;
    else if (block.key == "SoCo")
        layer.solidFill = ReadSolidColour(reader, block.offset + block.length);
    else if (block.key == "GdFl")
        layer.gradientFill = ReadGradientFill(reader, block.offset + block.length);
    else if (block.key == "PtFl")
        layer.patternFill = ReadPatternFill(reader, block.offset + block.length);
    else if (block.key == "vstk")
        layer.shapeStyle = ReadShapeStyle(reader, block.offset + block.length);
    else if (block.key == "vmsk" || block.key == "vsms")
        layer.vectorMask = ReadVectorMask(reader, block.offset + block.length);
    else if (!AdjustmentName(block.key).empty())
        ReadAdjustment(reader, block.key, block.offset + block.length, layer.adjustment);
    else if (block.key == "lfx2" || block.key == "lmfx")
        layer.style = ReadLayerStyle(reader, block.offset + block.length);
    else if (block.key == "artb" || block.key == "artd" || block.key == "abdd")
        layer.artboard = ReadArtboard(reader, block.offset + block.length);
    reader.Seek(after);
}

} // namespace

std::string FourCharacters(SectionReader &reader)
{
    unsigned char bytes[4] = {};
    reader.Read(bytes, 4);
    return std::string(reinterpret_cast<const char *>(bytes), 4);
}

bool ReadLayerBlocks(SectionReader &reader, std::uint64_t end, bool psb, LayerRecord &layer)
{
    while (end - reader.Position() >= 12) {
        const std::optional<LayerInfoBlock> block = NextBlock(reader, end, psb);
        if (!block)
            return false;
        TakeBlock(reader, *block, layer);
        layer.blocks.push_back(*block);
    }
    return !reader.Failed();
}

std::optional<LayerInfoBlock> FindSectionBlock(SectionReader &reader, std::uint64_t end, bool psb,
                                               std::initializer_list<const char *> keys)
{
    while (reader.Position() < end) {
        const std::optional<LayerInfoBlock> block = NextBlock(reader, end, psb);
        if (!block)
            return std::nullopt;
        for (const char *key : keys) {
            if (block->key == key)
                return block;
        }
    }
    return std::nullopt;
}

// A byte of flags: user mask density, user mask feather, vector mask density, vector mask
// feather; where -2 is the rendered vector mask, the user's own is -3.
void ReadMaskParameters(SectionReader &reader, LayerRecord &layer)
{
    const auto flags = unsigned(reader.Number(1));
    LayerMask &user = layer.mask.fromVector ? layer.realMask : layer.mask;
    const auto feather = [&] { return std::bit_cast<double>(reader.Number(8)); };
    if ((flags & 1) != 0)
        user.density = int(reader.Number(1));
    if ((flags & 2) != 0)
        user.feather = feather();
    if ((flags & 4) != 0)
        layer.vectorDensity = int(reader.Number(1));
    if ((flags & 8) != 0)
        layer.vectorFeather = feather();
    if (layer.mask.fromVector) {
        layer.mask.density = layer.vectorDensity;
        layer.mask.feather = layer.vectorFeather;
    }
}
