#pragma once

#include "runwindow.h"

#include <QCursor>

#include <optional>

class QWidget;

// A widget's pointer by the program's shape codes. Its children show it unless they have a
// pointer of their own. The busy shape belongs to the operation that set it: no hover takes it
// away.
class WindowPointer
{
public:
    explicit WindowPointer(QWidget &window);

    // The custom shape's image; without one the custom shape shows the default pointer.
    void SetCustomImage(const std::optional<QCursor> &image);
    void Set(PointerShape shape);
    // A long operation holds the busy shape over the whole program until it lets go. Holds
    // nest, since a conversion can start inside a folder scan's yield: the pointer stays busy
    // until the last one ends.
    void HoldBusy();
    void ReleaseBusy();
    // What the mouse over a part of the window asks for, unless busy.
    void Hover(PointerShape shape);
    PointerShape Shape() const { return m_shape; }

private:
    QWidget &m_window;
    PointerShape m_shape = PointerShape::Default;
    std::optional<QCursor> m_customImage;
    int m_busyHolds = 0;
};
