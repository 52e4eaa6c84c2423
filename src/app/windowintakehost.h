#pragma once

#include "app/windowhooks.h"
#include "filelist/filechooser.h"
#include "filelist/folderintakehost.h"

class QWidget;

// The window's side of the two intakes that ask the user: its dialogs, reached through the
// hooks so that tests answer them, and the busy pointer over the program.
class WindowIntakeHost : public FileChooser, public FolderIntakeHost
{
public:
    WindowIntakeHost(QWidget &window, const WindowHooks &hooks);

    QStringList ChooseFiles(const QString &title, const QString &filter) override;
    QString AskText(const QString &prompt, const QString &title,
                    const QString &defaultAnswer) override;
    QString ChooseFolder(const QString &prompt) override;
    void SetBusy(bool busy) override;

private:
    QWidget &m_window;
    const WindowHooks &m_hooks;
};
