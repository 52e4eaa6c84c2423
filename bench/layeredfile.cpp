#include "layeredfile.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace
{

void Put(QByteArray &out, quint64 value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char(value >> shift);
}

struct Rect {
    int top, left, bottom, right;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

enum class Kind { Pixels, Group, GroupEnd };

struct Layer {
    Kind kind;
    Rect rect;
    const char *mode;
    int opacity;
    bool seeThrough; // partly transparent
    Rect mask;       // none when empty
    int maskOutside;
};

constexpr int ColourRun = 16;
constexpr int PlainRun = 64;
constexpr int Transparency = 0xFFFF;
constexpr int Mask = 0xFFFE;

// One channel of a layer: its id, its rectangle, and how its rows vary.
struct Plane {
    int id;
    Rect rect;
    int seed;
    bool seeThrough;
    int Run() const { return id < 3 ? ColourRun : PlainRun; }
    qint64 RowSize() const { return 2 * ((rect.Width() + Run() - 1) / Run()); }
    // Compression, a 4-byte length a row, the rows; rectangles without pixels raw and empty.
    qint64 Size() const
    {
        return rect.Height() > 0 ? 2 + qint64(rect.Height()) * (4 + RowSize()) : 2;
    }
    int Value(int run, int y) const
    {
        if (id == Transparency)
            return seeThrough && (run + y / 9) % 3 == 0 ? 96 : 255;
        if (id == Mask)
            return (run * 3 + y / 3) & 0xFF;
        return (run + y / 5 + id * 85 + seed) & 0xFF;
    }
    // Runs of one value each; the value moves with the row, so that the picture has diagonals.
    void Row(int y, QByteArray &out) const
    {
        for (int x = 0, run = 0; x < rect.Width(); x += Run(), ++run) {
            const int length = std::min(Run(), rect.Width() - x);
            out += char(length == 1 ? 0 : 1 - length);
            out += char(Value(run, y));
        }
    }
};

std::vector<Plane> PlanesOf(const Layer &layer, int seed)
{
    std::vector<Plane> planes;
    for (const int id : {0, 1, 2, Transparency})
        planes.push_back({id, layer.rect, seed, layer.seeThrough});
    if (layer.mask.Height() > 0)
        planes.push_back({Mask, layer.mask, seed, false});
    return planes;
}

QByteArray Record(const Layer &layer, const std::vector<Plane> &planes)
{
    QByteArray record;
    for (const int edge : {layer.rect.top, layer.rect.left, layer.rect.bottom, layer.rect.right})
        Put(record, quint64(edge), 4);
    Put(record, planes.size(), 2);
    for (const Plane &plane : planes) {
        Put(record, quint64(plane.id), 2);
        Put(record, quint64(plane.Size()), 8);
    }
    const char *mode = layer.kind == Kind::Pixels ? layer.mode : "pass";
    record += QByteArray("8BIM") + mode + char(layer.opacity) + '\0' + '\0' + '\0';
    QByteArray extra;
    if (layer.mask.Height() > 0) {
        Put(extra, 20, 4);
        for (const int edge :
             {layer.mask.top, layer.mask.left, layer.mask.bottom, layer.mask.right})
            Put(extra, quint64(edge), 4);
        extra += char(layer.maskOutside) + QByteArray(3, '\0');
    } else {
        Put(extra, 0, 4);
    }
    Put(extra, 0, 4);             // blending ranges
    extra += QByteArray(4, '\0'); // an empty name
    if (layer.kind != Kind::Pixels) {
        extra += "8BIMlsct";
        Put(extra, 12, 4);
        Put(extra, layer.kind == Kind::Group ? 1 : 3, 4);
        extra += QByteArray("8BIM") + mode;
    }
    Put(record, quint64(extra.size()), 4);
    return record + extra;
}

// Writes what `out` has gathered once it is large, and at the end.
bool Flush(QFile &file, QByteArray &out, bool always)
{
    if (!always && out.size() < (1 << 20))
        return true;
    const bool written = file.write(out) == out.size();
    out.clear();
    return written;
}

bool WritePlane(QFile &file, const Plane &plane, QByteArray &out)
{
    Put(out, plane.rect.Height() > 0 ? 1 : 0, 2);
    for (int y = 0; y < plane.rect.Height(); ++y)
        Put(out, quint64(plane.RowSize()), 4);
    bool ok = true;
    for (int y = 0; y < plane.rect.Height() && ok; ++y) {
        plane.Row(y, out);
        ok = Flush(file, out, false);
    }
    return ok;
}

// Resource 1057 says the merged image is not real; the merged image is white rows.
QByteArray Head(int width, int height)
{
    QByteArray head = "8BPS";
    Put(head, 2, 2);
    head += QByteArray(6, '\0');
    for (const auto &[value, bytes] : {std::pair{3, 2}, {height, 4}, {width, 4}, {8, 2}, {3, 2}})
        Put(head, quint64(value), bytes);
    Put(head, 0, 4);
    QByteArray resource = "8BIM";
    Put(resource, 1057, 2);
    Put(resource, 0, 2); // empty name, padded
    Put(resource, 18, 4);
    Put(resource, 1, 4);
    resource += '\0';
    Put(resource, 0, 4);
    Put(resource, 0, 4);
    Put(resource, 1, 4);
    resource += '\0';
    Put(head, quint64(resource.size()), 4);
    return head + resource;
}

} // namespace

bool WriteLayeredFile(const QString &path, int width, int height)
{
    const int w = width;
    const int h = height;
    const Rect none{0, 0, 0, 0};
    const std::vector<Layer> layers = {
        {Kind::Pixels, {0, 0, h, w}, "norm", 255, false, none, 0},
        {Kind::Pixels,
         {h / 5, w / 5, 3 * h / 5, 4 * w / 5},
         "norm",
         255,
         true,
         {h / 4, w / 3, h / 2, 2 * w / 3},
         255},
        {Kind::Pixels, {h / 2, 0, h, w}, "mul ", 200, false, none, 0},
        {Kind::GroupEnd, none, "", 255, false, none, 0},
        {Kind::Pixels, {h / 3, w / 4, h, 3 * w / 4}, "norm", 180, true, none, 0},
        {Kind::Group, none, "", 255, false, {h / 3, w / 3, 5 * h / 6, w}, 0},
    };
    QByteArray records;
    std::vector<Plane> planes;
    Put(records, layers.size(), 2);
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const std::vector<Plane> own = PlanesOf(layers[i], int(i) * 40);
        records += Record(layers[i], own);
        planes.insert(planes.end(), own.begin(), own.end());
    }
    qint64 info = records.size();
    for (const Plane &plane : planes)
        info += plane.Size();
    const qint64 pad = info % 2;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray out = Head(width, height);
    Put(out, quint64(8 + info + pad + 4), 8);
    Put(out, quint64(info + pad), 8);
    out += records;
    bool ok = true;
    for (std::size_t i = 0; i < planes.size() && ok; ++i)
        ok = WritePlane(file, planes[i], out);
    out += QByteArray(int(pad), '\0');
    Put(out, 0, 4); // global mask
    const Plane white{Transparency, {0, 0, h, w}, 0, false};
    Put(out, 1, 2);
    for (int y = 0; y < 3 * h; ++y)
        Put(out, quint64(white.RowSize()), 4);
    for (int y = 0; y < 3 * h && ok; ++y) {
        white.Row(y, out);
        ok = Flush(file, out, false);
    }
    return ok && Flush(file, out, true) && file.flush();
}
