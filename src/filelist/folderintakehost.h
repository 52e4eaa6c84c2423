#pragma once

#include <QString>

// What the folder intake needs of the window: a person at two prompts, and the busy pointer.
// The window implements it; tests answer in code.
class FolderIntakeHost
{
public:
    virtual ~FolderIntakeHost() = default;

    // The modal text prompt: the answer as typed, "" on cancel.
    virtual QString AskText(const QString &prompt, const QString &title,
                            const QString &defaultAnswer) = 0;
    // The folder chooser: a folder path, "" on cancel.
    virtual QString ChooseFolder(const QString &prompt) = 0;
    // On when the first of the scans in a row is asked for, off when the last has ended.
    virtual void SetBusy(bool busy) = 0;
};
