#pragma once

#include <QString>

// Pointer shapes by the codes the rest of the program uses.
enum class PointerShape { Default = 0, Arrow = 1, Busy = 11, Custom = 99 };

// What a conversion run needs of the window, and no more: the window implements it, tests
// record it.
class RunWindow
{
public:
    virtual ~RunWindow() = default;

    // The convert button: 1 pressed, 0 up. Setting it may call back into the run at once.
    virtual int ConvertButtonState() const = 0;
    virtual void SetConvertButtonState(int state) = 0;

    virtual void SetPointerShape(PointerShape shape) = 0;
    virtual void SetProgressValue(float value) = 0;
    // Modal; returns when the user has closed it.
    virtual void ShowMessage(const QString &text) = 0;
};
