#include "shared/psd/layerpattern.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/packbits.h"
#include "shared/psd/psdheader.h"
#include "shared/psd/sectionreader.h"

#include <algorithm>

namespace
{

// The largest side of a pattern read: Photoshop's own stop well short of it.
constexpr std::int64_t MaxPatternSide = 4096;

// One channel of the pattern's image: raw or packed rows of `pattern`'s size.
bool ReadChannel(SectionReader &reader, std::uint64_t end, Pattern &pattern,
                 std::vector<unsigned char> &pixels)
{
    const std::uint64_t depth = reader.Number(4);
    const auto top = std::int32_t(reader.Number(4));
    const auto left = std::int32_t(reader.Number(4));
    const auto bottom = std::int64_t(std::int32_t(reader.Number(4)));
    const auto right = std::int64_t(std::int32_t(reader.Number(4)));
    reader.Number(2); // the depth again
    const std::uint64_t compression = reader.Number(1);
    if (reader.Failed() || depth != 8 || top != 0 || left != 0 || bottom != pattern.height ||
        right != pattern.width || compression > 1)
        return false;
    const auto width = std::size_t(pattern.width);
    pixels.assign(width * std::size_t(pattern.height), 0);
    std::vector<std::uint64_t> counts(std::size_t(pattern.height), width);
    for (std::uint64_t &count : counts)
        count = compression == 1 ? reader.Number(2) : width;
    std::vector<unsigned char> packed;
    for (std::size_t y = 0; y < counts.size(); ++y) {
        if (reader.Failed() || counts[y] > end - std::min(end, reader.Position()))
            return false;
        packed.resize(std::size_t(counts[y]));
        reader.Read(packed.data(), packed.size());
        unsigned char *row = pixels.data() + y * width;
        if (compression == 0)
            std::copy(packed.cbegin(), packed.cend(), row);
        else if (!UnpackRow(packed.data(), packed.size(), row, width))
            return false;
    }
    return !reader.Failed();
}

// The image: its channels in order, then the user's and the sheet's masks, each entry only
// where written; the colour ones are kept, a pattern with a mask is not read.
bool ReadImage(SectionReader &reader, std::uint64_t end, Pattern &pattern)
{
    if (reader.Number(4) != 3)
        return false;
    reader.Skip(4 + 16); // its length and bounds
    const std::uint64_t entries = reader.Number(4) + 2;
    const auto colours = std::size_t(ColourChannels(ColorMode(pattern.mode)));
    for (std::uint64_t i = 0; i < entries && !reader.Failed() && reader.Position() < end; ++i) {
        if (reader.Number(4) == 0)
            continue;
        const std::uint64_t length = reader.Number(4);
        const std::uint64_t next = reader.Position() + length;
        if (length == 0)
            continue;
        if (pattern.channels.size() == colours || next > end)
            return false;
        pattern.channels.emplace_back();
        if (!ReadChannel(reader, next, pattern, pattern.channels.back()) || !reader.Seek(next))
            return false;
    }
    return pattern.channels.size() == colours;
}

bool ReadPattern(SectionReader &reader, std::uint64_t end, Pattern &pattern)
{
    if (reader.Number(4) != 1)
        return false;
    pattern.mode = int(reader.Number(4));
    pattern.height = std::int64_t(reader.Number(2));
    pattern.width = std::int64_t(reader.Number(2));
    const ColorMode mode = ColorMode(pattern.mode);
    if (mode != ColorMode::Rgb && mode != ColorMode::Grayscale && mode != ColorMode::Cmyk)
        return false;
    if (pattern.width == 0 || pattern.height == 0 || pattern.width > MaxPatternSide ||
        pattern.height > MaxPatternSide)
        return false;
    reader.Skip(2 * reader.Number(4)); // the name
    std::string id(std::size_t(reader.Number(1)), '\0');
    reader.Read(reinterpret_cast<unsigned char *>(id.data()), id.size());
    pattern.id = id;
    return !reader.Failed() && ReadImage(reader, end, pattern);
}

} // namespace

PatternFill PatternFillOf(const Descriptor &descriptor, const std::string &path)
{
    const auto at = [&](const std::string &key) { return path.empty() ? key : path + "." + key; };
    PatternFill fill;
    fill.present = true;
    const auto id = descriptor.texts.find(at("Ptrn.Idnt"));
    fill.id = id == descriptor.texts.end() ? std::string() : id->second;
    const bool moved = descriptor.Number(at("phase.Hrzn")).value_or(0) != 0 ||
                       descriptor.Number(at("phase.Vrtc")).value_or(0) != 0;
    if (moved || descriptor.Number(at("Scl ")).value_or(100) != 100 ||
        descriptor.Number(at("Angl")).value_or(0) != 0)
        fill.unread = "patterns scaled, turned or moved";
    // Where a linked pattern starts follows the layer's moves, which the document does not keep.
    else if (descriptor.Number(at("Algn")).value_or(0) != 0)
        fill.unread = "patterns linked with their layer";
    return fill;
}

PatternFill ReadPatternFill(SectionReader &reader, std::uint64_t end)
{
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    if (!descriptor) {
        PatternFill fill;
        fill.present = true;
        fill.unread = "pattern settings that do not read";
        return fill;
    }
    return PatternFillOf(*descriptor, "");
}

std::vector<Pattern> ReadPatterns(SectionReader &reader, std::uint64_t end)
{
    std::vector<Pattern> patterns;
    while (!reader.Failed() && reader.Position() + 4 <= end) {
        const std::uint64_t length = reader.Number(4);
        const std::uint64_t start = reader.Position();
        if (length > end - start)
            break;
        Pattern pattern;
        if (ReadPattern(reader, start + length, pattern))
            patterns.push_back(std::move(pattern));
        reader.Seek(start + (length + 3) / 4 * 4);
    }
    return patterns;
}
