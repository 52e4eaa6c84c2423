#pragma once

#include "scan/scancontrol.h"

#include <QString>

// What the folder intake needs of the window: a person at two prompts, the busy pointer, and
// the event loop while the walk yields (the window's closing stops a scan). The window
// implements it; tests answer in code.
class FolderIntakeHost : public ScanControl
{
public:
    // The modal text prompt: the answer as typed, "" on cancel.
    virtual QString AskText(const QString &prompt, const QString &title,
                            const QString &defaultAnswer) = 0;
    // The folder chooser: a folder path, "" on cancel.
    virtual QString ChooseFolder(const QString &prompt) = 0;
    virtual void SetBusy(bool busy) = 0;
};
