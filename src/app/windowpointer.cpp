#include "windowpointer.h"

#include <QGuiApplication>
#include <QWidget>

WindowPointer::WindowPointer(QWidget &window) : m_window(window) {}

void WindowPointer::SetCustomImage(const std::optional<QCursor> &image)
{
    m_customImage = image;
}

void WindowPointer::Set(PointerShape shape)
{
    m_shape = shape;
    switch (shape) {
    case PointerShape::Arrow:
        m_window.setCursor(Qt::ArrowCursor);
        return;
    case PointerShape::Busy:
        m_window.setCursor(Qt::WaitCursor);
        return;
    case PointerShape::Custom:
        if (m_customImage) {
            m_window.setCursor(*m_customImage);
            return;
        }
        break;
    case PointerShape::Default:
        break;
    }
    m_window.unsetCursor();
}

void WindowPointer::HoldBusy()
{
    // Over the list too, whose own pointer would otherwise hide the window's.
    if (m_busyHolds++ == 0)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Set(PointerShape::Busy);
}

void WindowPointer::ReleaseBusy()
{
    if (m_busyHolds == 0 || --m_busyHolds > 0)
        return;
    QGuiApplication::restoreOverrideCursor();
    Set(PointerShape::Default);
}

void WindowPointer::Hover(PointerShape shape)
{
    if (m_shape != PointerShape::Busy)
        Set(shape);
}
