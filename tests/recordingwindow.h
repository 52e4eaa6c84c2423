#pragma once

#include "runwindow.h"

#include <QStringList>
#include <QVector>

// Stands in for the window: keeps what a run asked of it, in order.
class RecordingWindow : public RunWindow
{
public:
    int ConvertButtonState() const override { return m_button; }
    void SetConvertButtonState(int state) override { m_button = state; }
    void SetPointerShape(PointerShape shape) override
    {
        m_pointer = shape;
        pointers.append(shape);
    }
    void SetProgressValue(float value) override { progress.append(value); }
    void ShowMessage(const QString &text) override
    {
        messages.append(text);
        // The message belongs after the last entry: pointer and bar are reset by then.
        pointerAtMessage.append(m_pointer);
    }

    PointerShape Pointer() const { return m_pointer; }

    QVector<PointerShape> pointers;
    QVector<PointerShape> pointerAtMessage;
    QVector<float> progress;
    QStringList messages;

private:
    int m_button = 0;
    PointerShape m_pointer = PointerShape::Default;
};
