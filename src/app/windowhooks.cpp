#include "app/windowhooks.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTime>

namespace
{

constexpr int MillisecondsPerSecond = 1000;
// A box only as wide as a short text lets a narrow window manager cut its title to nothing.
constexpr int MessageMinimumWidth = 380;

double DrawSeededByTimeOfDay()
{
    const auto secondsSinceMidnight =
        quint32(QTime::currentTime().msecsSinceStartOfDay() / MillisecondsPerSecond);
    QRandomGenerator generator(secondsSinceMidnight);
    return generator.generateDouble();
}

void ShowMessageBox(QWidget *window, const QString &text, const QString &details)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillmere"), text, QMessageBox::Ok,
                    window);
    box.setDetailedText(details);
    // The box sizes itself to its layout and ignores a minimum width set on it; a spacer across
    // the layout's width is what it keeps to.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(MessageMinimumWidth, 0, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

QStringList ChooseFilesInDialog(QWidget *window, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileNames(window, title, QString(), filter);
}

QString AskInPrompt(QWidget *window, const QString &prompt, const QString &title,
                    const QString &defaultAnswer)
{
    // A cancelled prompt gives a null text, which is the empty answer.
    return QInputDialog::getText(window, title, prompt, QLineEdit::Normal, defaultAnswer);
}

QString ChooseFolderInDialog(QWidget *window, const QString &prompt)
{
    return QFileDialog::getExistingDirectory(window, prompt);
}

} // namespace

WindowHooks WindowHooks::Desktop()
{
    return WindowHooks{
        DrawSeededByTimeOfDay,
        [](const QUrl &address) { QDesktopServices::openUrl(address); },
        ShowMessageBox,
        ChooseFilesInDialog,
        AskInPrompt,
        ChooseFolderInDialog,
        QCoreApplication::applicationDirPath(),
    };
}
