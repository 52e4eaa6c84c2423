#include "largefiles.h"

#include "layeredfile.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace
{

constexpr int Run = 16;

void Put(QByteArray &out, quint64 value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char(value >> shift);
}

// Runs of one value each; the value moves with the row, so that the picture has diagonals.
QByteArray PackedRow(int width, int y, int channel)
{
    QByteArray row;
    for (int x = 0; x < width; x += Run) {
        const int length = std::min(Run, width - x);
        row += char(length == 1 ? 0 : 1 - length);
        row += char((x / Run + y / 5 + channel * 85) & 0xFF);
    }
    return row;
}

bool Write(const QString &path, int version, int width, int height)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const int channels = 3;
    const int countBytes = version == 2 ? 4 : 2;
    QByteArray head = "8BPS";
    Put(head, version, 2);
    head += QByteArray(6, '\0');
    for (const auto &[value, bytes] :
         {std::pair{channels, 2}, {height, 4}, {width, 4}, {8, 2}, {3, 2}})
        Put(head, quint64(value), bytes);
    Put(head, 0, 4);                    // colour mode data
    Put(head, 0, 4);                    // image resources
    Put(head, 0, version == 2 ? 8 : 4); // layers
    Put(head, 1, 2);                    // RLE
    bool ok = file.write(head) == head.size();
    QByteArray counts;
    for (int i = 0; i < channels * height; ++i)
        Put(counts, quint64(PackedRow(width, 0, 0).size()), countBytes);
    ok = ok && file.write(counts) == counts.size();
    for (int c = 0; c < channels && ok; ++c) {
        for (int y = 0; y < height && ok; ++y) {
            const QByteArray row = PackedRow(width, y, c);
            ok = file.write(row) == row.size();
        }
    }
    return ok && file.flush();
}

} // namespace

int MakeLargeFiles(const QStringList &args)
{
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quillmere-bench --make-large DIR\n");
        return 2;
    }
    const QDir dir(args.at(1));
    struct File {
        const char *name;
        const char *extension;
        int version, width, height;
        bool layered = false;
    };
    for (const File &f :
         {File{"poster", "psb", 2, 20'000, 20'000}, File{"panorama", "psb", 2, 60'000, 8'000},
          File{"square", "psd", 1, 26'000, 26'000},
          File{"layered", "psb", 2, 20'000, 20'000, true}}) {
        const QString folder = dir.filePath(f.name);
        const QString path = folder + '/' + f.name + '.' + f.extension;
        const bool written =
            QDir().mkpath(folder) && (f.layered ? WriteLayeredFile(path, f.width, f.height)
                                                : Write(path, f.version, f.width, f.height));
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
