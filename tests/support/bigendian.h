#pragma once

#include <QByteArray>

// A number as PSD files store it: `bytes` bytes, the most significant first.
inline QByteArray Big(quint64 value, int bytes)
{
    QByteArray out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out += char(value >> shift);
    return out;
}
