#pragma once

#include "app/mainwindow.h"

#include <QtTest>

#include <memory>

// The shown window, its reach outside recorded: no browser, and every dialog answered from here.
struct RecordedWindow {
    explicit RecordedWindow(double draw = 0.5,
                            const QString &programFolder = QCoreApplication::applicationDirPath())
    {
        WindowHooks hooks;
        hooks.random = [draw] { return draw; };
        hooks.openUrl = [this](const QUrl &address) { opened << address; };
        hooks.showMessage = [this](QWidget *, const QString &text, const QString &details) {
            shown << text;
            shownDetails << details;
        };
        hooks.chooseFiles = [this](QWidget *owner, const QString &title, const QString &filter) {
            return Record(owner, {"files", title, filter}).chosenFiles;
        };
        hooks.askText = [this](QWidget *owner, const QString &prompt, const QString &title,
                               const QString &answer) {
            return Record(owner, {"text", prompt, title, answer}).typedText;
        };
        hooks.chooseFolder = [this](QWidget *owner, const QString &prompt) {
            return Record(owner, {"folder", prompt}).chosenFolder;
        };
        hooks.programFolder = programFolder;
        form = std::make_unique<MainWindow>(hooks);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    // A dialog as its kind and texts; one the window does not own shows as such.
    RecordedWindow &Record(QWidget *owner, const QStringList &dialog)
    {
        shown << (owner == form.get() ? dialog.join('|') : "unowned");
        return *this;
    }
    template <typename T = QWidget> T *Control(const QString &name) const
    {
        return form->findChild<T *>(name);
    }

    QList<QUrl> opened;
    // Messages and dialogs, in order.
    QStringList shown, chosenFiles;
    // The details of each message, in order.
    QStringList shownDetails;
    QString typedText, chosenFolder;
    std::unique_ptr<MainWindow> form;
};
