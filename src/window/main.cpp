#include "window/DesktopProgram.h"
#include "window/EngineLoader.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    trovix::DesktopProgram program(trovix::embeddedEngine());
    if (!program.start())
        return 1;
    return application.exec();
}
