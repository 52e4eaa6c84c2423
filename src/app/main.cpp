#include "app/mainwindow.h"
#include "scan/argumententries.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmere"));

    MainWindow window;
    window.show();
    // What the file manager's "Open With" or a shell names, after Qt has taken its own options.
    window.addArguments(ArgumentBytes(argc, argv));
    // Closing the window, the only one, ends the program.
    return app.exec();
}
