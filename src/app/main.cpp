#include "app/mainwindow.h"
#include "scan/argumententries.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmere"));

    MainWindow window;
    window.show();
    // What the file manager's "Open With" or a shell names, after Qt has taken its own options;
    // from the event loop, so that a close during the gathering ends the program.
    const QByteArrayList arguments = ArgumentBytes(argc, argv);
    QTimer::singleShot(0, &window, [&] { window.addArguments(arguments); });
    // Closing the window, the only one, ends the program.
    return app.exec();
}
