#pragma once

#include "form1.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeView>
#include <QtTest>

#include <memory>

// A window whose reach outside is recorded: no browser, and no dialog or message box waiting
// for a person. The dialogs give the answers set here.
struct RecordedWindow {
    explicit RecordedWindow(double draw = 0.5,
                            QString programFolder = QCoreApplication::applicationDirPath())
    {
        WindowHooks hooks;
        hooks.random = [draw] { return draw; };
        hooks.openUrl = [this](const QUrl &address) { opened << address; };
        hooks.showMessage = [this](QWidget *, const QString &text) { messages << text; };
        hooks.chooseFiles = [this](QWidget *owner, const QString &title, const QString &filter) {
            Record(owner, {QStringLiteral("files"), title, filter});
            return chosenFiles;
        };
        hooks.askText = [this](QWidget *owner, const QString &prompt, const QString &title,
                               const QString &defaultAnswer) {
            Record(owner, {QStringLiteral("text"), prompt, title, defaultAnswer});
            return typedText;
        };
        hooks.chooseFolder = [this](QWidget *owner, const QString &prompt) {
            Record(owner, {QStringLiteral("folder"), prompt});
            return chosenFolder;
        };
        hooks.programFolder = std::move(programFolder);
        form = std::make_unique<Form1>(hooks);
    }
    template <typename T = QWidget> T *Control(const char *name) const
    {
        return form->findChild<T *>(QString::fromLatin1(name));
    }
    QWidget *Part(const QString &name) const
    {
        if (name == QLatin1String("background"))
            return form.get();
        if (name == QLatin1String("list"))
            return Control<QTreeView>("ListView1")->viewport();
        if (name == QLatin1String("header"))
            return Control<QTreeView>("ListView1")->header()->viewport();
        return form->findChild<QWidget *>(name);
    }
    // A spot of the background that no control covers.
    static QPoint BackgroundSpot() { return QPoint(3, 3); }
    void MoveOver(const QString &part) const
    {
        QWidget *widget = Part(part);
        QTest::mouseMove(widget, widget == form.get() ? BackgroundSpot() : widget->rect().center());
    }
    void Show() const
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void Press(const char *button) const { QTest::mouseClick(Control(button), Qt::LeftButton); }
    // Each dialog shown, as its kind followed by its texts.
    void Record(QWidget *owner, const QStringList &dialog)
    {
        dialogs << dialog;
        owners << owner;
    }

    QList<QUrl> opened;
    QStringList messages;
    QStringList chosenFiles;
    QString typedText;
    QString chosenFolder;
    QList<QStringList> dialogs;
    QList<QWidget *> owners;
    std::unique_ptr<Form1> form;
};
