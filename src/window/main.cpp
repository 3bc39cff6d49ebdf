#include "window/DesktopProgram.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    // Wayland compositors and docks match the window to trovix.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("trovix"));
    trovix::DesktopProgram program;
    if (!program.start())
        return 1;
    return application.exec();
}
