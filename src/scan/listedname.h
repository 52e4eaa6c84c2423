#pragma once

#include <QByteArray>
#include <QString>

// A name as a folder listing returns it: the file system's bytes, which name the file, and
// their text, for matching and ordering. Bytes that are not UTF-8 read as U+FFFD in the text
// only; the bytes are never rebuilt from it.
class ListedName
{
public:
    explicit ListedName(const QByteArray &bytes) : m_bytes(bytes), m_text(QString::fromUtf8(bytes))
    {
    }

    const QByteArray &Bytes() const { return m_bytes; }
    const QString &Text() const { return m_text; }

    // The order a listing comes in: by name ignoring case, ties by the exact bytes, so two
    // names that differ only in bytes that are not UTF-8 keep a fixed order.
    bool operator<(const ListedName &other) const;

private:
    QByteArray m_bytes;
    QString m_text;
};
