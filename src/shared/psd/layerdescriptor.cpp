#include "shared/psd/layerdescriptor.h"

#include "shared/psd/sectionreader.h"

#include <bit>

namespace
{

// Nesting deeper than this is taken for damage, not followed.
constexpr int MaxDepth = 16;

class DescriptorWalk
{
public:
    DescriptorWalk(SectionReader &reader, std::uint64_t end, Descriptor &out)
        : m_reader(reader), m_end(end), m_out(out)
    {
    }

    bool Object(const std::string &path, int depth);

private:
    bool Fits(std::uint64_t count) const
    {
        return !m_reader.Failed() && m_reader.Position() <= m_end &&
               count <= m_end - m_reader.Position();
    }
    // A key or class id: a length, or 0 and four characters.
    std::string Id();
    bool Value(const std::string &path, int depth);
    bool List(const std::string &path, int depth);
    double Double() { return std::bit_cast<double>(m_reader.Number(8)); }
    std::string Text();

    SectionReader &m_reader;
    std::uint64_t m_end;
    Descriptor &m_out;
};

std::string DescriptorWalk::Id()
{
    std::uint64_t length = m_reader.Number(4);
    if (length == 0)
        length = 4;
    if (!Fits(length) || length > 256)
        return {};
    std::string id(std::size_t(length), '\0');
    m_reader.Read(reinterpret_cast<unsigned char *>(id.data()), id.size());
    return id;
}

std::string DescriptorWalk::Text()
{
    const std::uint64_t length = m_reader.Number(4);
    std::string text;
    if (!Fits(2 * length)) {
        m_reader.Skip(2 * length); // past the end: the walk fails
        return text;
    }
    bool ended = false;
    for (std::uint64_t i = 0; i < length; ++i) {
        const auto unit = char(m_reader.Number(2) & 0xFF);
        ended = ended || unit == '\0';
        if (!ended)
            text += unit;
    }
    return text;
}

// A unicode name, then the class id and the items.
bool DescriptorWalk::Object(const std::string &path, int depth)
{
    const std::uint64_t nameLength = m_reader.Number(4);
    if (depth > MaxDepth || !Fits(2 * nameLength) || !m_reader.Skip(2 * nameLength))
        return false;
    m_out.classes[path] = Id();
    const std::uint64_t count = m_reader.Number(4);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::string key = Id();
        if (key.empty() || !Value(path.empty() ? key : path + "." + key, depth + 1))
            return false;
    }
    return Fits(0);
}

bool DescriptorWalk::List(const std::string &path, int depth)
{
    const std::uint64_t count = m_reader.Number(4);
    for (std::uint64_t i = 0; i < count && Fits(4); ++i) {
        if (!Value(path + "." + std::to_string(i), depth + 1))
            return false;
    }
    return Fits(0);
}

bool DescriptorWalk::Value(const std::string &path, int depth)
{
    unsigned char type[4] = {};
    m_reader.Read(type, 4);
    const std::string kind(reinterpret_cast<const char *>(type), 4);
    if (kind == "Objc" || kind == "GlbO")
        return Object(path, depth);
    if (kind == "VlLs")
        return List(path, depth);
    if (kind == "doub")
        m_out.numbers[path] = Double();
    else if (kind == "UntF")
        m_out.numbers[path] = m_reader.Skip(4) ? Double() : 0.0;
    else if (kind == "long")
        m_out.numbers[path] = double(std::int32_t(std::uint32_t(m_reader.Number(4))));
    else if (kind == "comp")
        m_out.numbers[path] = double(std::int64_t(m_reader.Number(8)));
    else if (kind == "bool")
        m_out.numbers[path] = double(m_reader.Number(1));
    else if (kind == "enum")
        m_out.enums[path] = Id().empty() ? std::string() : Id();
    else if (kind == "TEXT")
        m_out.texts[path] = Text();
    else if (kind == "tdta")
        m_reader.Skip(m_reader.Number(4));
    else
        return false;
    return Fits(0);
}

} // namespace

std::optional<double> Descriptor::Number(const std::string &path) const
{
    const auto found = numbers.find(path);
    return found == numbers.end() ? std::nullopt : std::optional<double>(found->second);
}

std::string Descriptor::ClassOf(const std::string &path) const
{
    const auto found = classes.find(path);
    return found == classes.end() ? std::string() : found->second;
}

std::optional<Descriptor> ReadDescriptor(SectionReader &reader, std::uint64_t end)
{
    Descriptor descriptor;
    DescriptorWalk walk(reader, end, descriptor);
    if (!walk.Object("", 0))
        return std::nullopt;
    return descriptor;
}

std::optional<Descriptor> ReadBlockDescriptor(SectionReader &reader, std::uint64_t end)
{
    reader.Number(4);
    return ReadDescriptor(reader, end);
}
