#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmere"));

    MainWindow window;
    window.show();
    // Closing the window, the only one, ends the program.
    return app.exec();
}
