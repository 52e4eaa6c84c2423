#pragma once

#include <QString>
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
    // A modal message over the window, OK only; returns when it is closed.
    std::function<void(QWidget *window, const QString &text)> showMessage;
    // Where the program's pointer files lie.
    QString programFolder;

    static WindowHooks Desktop();
};
