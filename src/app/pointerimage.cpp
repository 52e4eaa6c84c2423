#include "app/pointerimage.h"

#include <QFile>
#include <QPixmap>
#include <QtEndian>

namespace
{

// The file starts with reserved 0, type (1 icon, 2 cursor) and the image count; the first
// image's entry follows, in which a cursor keeps its hot spot at bytes 4 to 7.
constexpr int HeaderSize = 6;
constexpr int EntryHotSpotOffset = HeaderSize + 4;
constexpr quint16 CursorType = 2;

std::optional<QPoint> CursorHotSpot(const QByteArray &bytes, const QSize &imageSize)
{
    if (bytes.size() < EntryHotSpotOffset + 4)
        return std::nullopt;
    const auto word = [&bytes](int offset) {
        return qFromLittleEndian<quint16>(bytes.data() + offset);
    };
    if (word(0) != 0 || word(2) != CursorType || word(4) < 1)
        return std::nullopt;
    const QPoint hotSpot(word(EntryHotSpotOffset), word(EntryHotSpotOffset + 2));
    if (!QRect(QPoint(0, 0), imageSize).contains(hotSpot))
        return std::nullopt;
    return hotSpot;
}

} // namespace

std::optional<QCursor> LoadPointerImage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    QPixmap pixmap;
    if (!pixmap.loadFromData(bytes, "ICO"))
        return std::nullopt;
    if (const auto hotSpot = CursorHotSpot(bytes, pixmap.size()))
        return QCursor(pixmap, hotSpot->x(), hotSpot->y());
    return QCursor(pixmap);
}
