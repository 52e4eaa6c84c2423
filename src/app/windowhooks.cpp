#include "windowhooks.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTime>

namespace
{

constexpr int MillisecondsPerSecond = 1000;

double DrawSeededByTimeOfDay()
{
    const auto secondsSinceMidnight =
        quint32(QTime::currentTime().msecsSinceStartOfDay() / MillisecondsPerSecond);
    QRandomGenerator generator(secondsSinceMidnight);
    return generator.generateDouble();
}

void ShowMessageBox(QWidget *window, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillmere"), text, QMessageBox::Ok,
                    window);
    box.exec();
}

} // namespace

WindowHooks WindowHooks::Desktop()
{
    return WindowHooks{
        DrawSeededByTimeOfDay,
        [](const QUrl &address) { QDesktopServices::openUrl(address); },
        ShowMessageBox,
        QCoreApplication::applicationDirPath(),
    };
}
