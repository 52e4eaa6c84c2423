#pragma once

#include "runwindow.h"

#include <QStringList>
#include <QVector>
#include <functional>

// Stands in for the window: keeps what a run asked of it, in order.
class RecordingWindow : public RunWindow
{
public:
    int ConvertButtonState() const override { return m_button; }
    void SetConvertButtonState(int state) override
    {
        m_button = state;
        // A real check box notifies its owner at once, nested, when set from code.
        if (onButtonChanged)
            onButtonChanged();
    }
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

    std::function<void()> onButtonChanged;
    QVector<PointerShape> pointers;
    QVector<PointerShape> pointerAtMessage;
    QVector<float> progress;
    QStringList messages;

private:
    int m_button = 0;
    PointerShape m_pointer = PointerShape::Default;
};
