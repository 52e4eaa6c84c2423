#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

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

    bool operator<(const ListedName &other) const
    {
        return Before(m_text, m_bytes, other.m_text, other.m_bytes);
    }

    // The order a listing comes in: by name ignoring case, ties by the exact bytes, so two
    // names that differ only in bytes that are not UTF-8 keep a fixed order. For names kept
    // some other way, as their text and bytes.
    static bool Before(QStringView text, QByteArrayView bytes, QStringView otherText,
                       QByteArrayView otherBytes);

private:
    QByteArray m_bytes;
    QString m_text;
};
