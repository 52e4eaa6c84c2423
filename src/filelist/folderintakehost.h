#pragma once

#include <QElapsedTimer>
#include <QString>

// What the folder intake needs of the window: a person at two prompts, the busy pointer, and
// the event loop while the walk yields. The window implements it; tests answer in code.
class FolderIntakeHost
{
public:
    virtual ~FolderIntakeHost() = default;

    // The modal text prompt: the answer as typed, "" on cancel.
    virtual QString AskText(const QString &prompt, const QString &title,
                            const QString &defaultAnswer) = 0;
    // The folder chooser: a folder path, "" on cancel.
    virtual QString ChooseFolder(const QString &prompt) = 0;
    virtual void SetBusy(bool busy) = 0;
    // True once the window is closing: a scan ends at its next yield and appends nothing more.
    // The window must stay in being until the scan has returned.
    virtual bool ScanShouldStop() const = 0;

    // Called at every yield point of the walk, which has one per directory entry. The default
    // lets the event loop run at most once in 10 ms: enough for painting and input, while a
    // call per entry would cost more than the walk itself.
    virtual void Yield();

private:
    QElapsedTimer m_sinceYield;
};
