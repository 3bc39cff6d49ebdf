#include "window/DesktopProgram.h"
#include "window/EngineLoader.h"

int main(int argc, char* argv[])
{
    return trovix::runDesktopProgram(argc, argv, trovix::embeddedEngine());
}
