#include "shared/psd/layerpath.h"

#include "shared/psd/sectionreader.h"

namespace
{

constexpr std::uint64_t RecordSize = 26;

enum Selector {
    ClosedLength = 0,
    ClosedLinked = 1,
    ClosedUnlinked = 2,
    OpenLength = 3,
    OpenLinked = 4,
    OpenUnlinked = 5,
    InitialFill = 8,
};

// A point as stored: vertical first, each a signed 8.24 fixed-point share.
PathPoint Point(const unsigned char *bytes)
{
    const auto share = [](const unsigned char *at) {
        return double(std::int32_t(std::uint32_t(BigEndian(at, 4)))) / double(1 << 24);
    };
    return PathPoint{share(bytes + 4), share(bytes)};
}

// A subpath's length record: its knot count, then (since shapes combine) its operation, -1
// where it belongs to the shape before it.
bool StartSubpath(const unsigned char *record, VectorMask &mask, std::uint64_t &knotsDue)
{
    if (knotsDue != 0)
        return false;
    knotsDue = BigEndian(record + 2, 2);
    const auto operation = std::int16_t(BigEndian(record + 4, 2));
    if (operation == -1 && mask.shapes.empty())
        return false;
    if (operation != -1) {
        if (operation < 0 || operation > 3)
            return false;
        mask.shapes.push_back(PathShape{PathOperation(operation), {}});
    }
    mask.shapes.back().subpaths.push_back(Subpath{BigEndian(record, 2) == ClosedLength, {}});
    return true;
}

bool TakeRecord(const unsigned char *record, VectorMask &mask, std::uint64_t &knotsDue)
{
    switch (BigEndian(record, 2)) {
    case ClosedLength:
    case OpenLength:
        return StartSubpath(record, mask, knotsDue);
    case ClosedLinked:
    case ClosedUnlinked:
    case OpenLinked:
    case OpenUnlinked:
        if (knotsDue == 0)
            return false;
        --knotsDue;
        mask.shapes.back().subpaths.back().knots.push_back(
            PathKnot{Point(record + 2), Point(record + 10), Point(record + 18)});
        return true;
    case InitialFill:
        mask.startsFull = BigEndian(record + 2, 2) == 1;
        return true;
    default:
        return true;
    }
}

} // namespace

VectorMask ReadVectorMask(SectionReader &reader, std::uint64_t end)
{
    VectorMask mask;
    mask.present = true;
    reader.Number(4); // version
    const std::uint64_t flags = reader.Number(4);
    mask.inverted = (flags & 1) != 0;
    mask.disabled = (flags & 4) != 0;
    std::uint64_t knotsDue = 0;
    unsigned char record[RecordSize];
    while (!reader.Failed() && reader.Position() + RecordSize <= end) {
        reader.Read(record, RecordSize);
        if (!TakeRecord(record, mask, knotsDue)) {
            mask.readable = false;
            return mask;
        }
    }
    mask.readable = !reader.Failed() && knotsDue == 0;
    return mask;
}
