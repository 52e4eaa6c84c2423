#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtNumeric>

// The window's layout is given in twips; a logical pixel is 15 twips at every screen scale.
constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips)
{
    return qRound(twips / double(TwipsPerPixel));
}

constexpr QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

// Half of an odd difference is kept until the last rounding, and a screen smaller than the
// window gives a negative place: the window then starts partly off the screen.
inline QPoint CentredTopLeft(const QRect &screen, const QSize &window)
{
    const double left = screen.left() + (screen.width() - window.width()) / 2.0;
    const double top = screen.top() + (screen.height() - window.height()) / 2.0;
    return QPoint(qRound(left), qRound(top));
}
