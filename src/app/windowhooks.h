#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QWidget;

// What the window reaches outside itself for. The desktop set is the real one; tests replace
// the parts that would need a person or a browser.
struct WindowHooks {
    // The next number of a generator seeded from the time of day, in [0, 1).
    std::function<double()> random;
    // Opens an address in the user's browser and does not wait for it.
    std::function<void(const QUrl &)> openUrl;
    // A modal message over the window, OK only, with details to show and copy unless they are
    // empty; returns when it is closed.
    std::function<void(QWidget *window, const QString &text, const QString &details)> showMessage;
    // The multi-select file-open dialog: full paths in its order, none on cancel.
    std::function<QStringList(QWidget *window, const QString &title, const QString &filter)>
        chooseFiles;
    // The text prompt: the answer as typed, "" on cancel.
    std::function<QString(QWidget *window, const QString &prompt, const QString &title,
                          const QString &defaultAnswer)>
        askText;
    // The folder chooser, titled with the prompt: a folder, "" on cancel.
    std::function<QString(QWidget *window, const QString &prompt)> chooseFolder;
    // Where the program's pointer files lie.
    QString programFolder;

    static WindowHooks Desktop();
};
