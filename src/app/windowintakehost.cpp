#include "app/windowintakehost.h"

#include <QCursor>
#include <QGuiApplication>

WindowIntakeHost::WindowIntakeHost(QWidget &window, const WindowHooks &hooks)
    : m_window(window), m_hooks(hooks)
{
}

QStringList WindowIntakeHost::ChooseFiles(const QString &title, const QString &filter)
{
    return m_hooks.chooseFiles(&m_window, title, filter);
}

QString WindowIntakeHost::AskText(const QString &prompt, const QString &title,
                                  const QString &defaultAnswer)
{
    return m_hooks.askText(&m_window, prompt, title, defaultAnswer);
}

QString WindowIntakeHost::ChooseFolder(const QString &prompt)
{
    return m_hooks.chooseFolder(&m_window, prompt);
}

void WindowIntakeHost::SetBusy(bool busy)
{
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
