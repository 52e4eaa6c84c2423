#pragma once

#include "filechooser.h"
#include "folderintakehost.h"
#include "windowhooks.h"

class QWidget;
class WindowPointer;

// The window's side of the two intakes that ask the user: its dialogs, reached through the
// hooks so that tests answer them, its busy pointer, and its closing, which ends a scan.
class WindowIntakeHost : public FileChooser, public FolderIntakeHost
{
public:
    WindowIntakeHost(QWidget &window, const WindowHooks &hooks, WindowPointer &pointer);

    QStringList ChooseFiles(const QString &title, const QString &filter) override;
    QString AskText(const QString &prompt, const QString &title,
                    const QString &defaultAnswer) override;
    QString ChooseFolder(const QString &prompt) override;
    void SetBusy(bool busy) override;
    bool ScanShouldStop() const override { return m_stopScans; }

    // Every scan, the running ones and any started later, ends at its next yield.
    void StopScans() { m_stopScans = true; }

private:
    QWidget &m_window;
    const WindowHooks &m_hooks;
    WindowPointer &m_pointer;
    bool m_stopScans = false;
};
