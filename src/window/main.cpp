#include "window/DesktopProgram.h"

int main(int argc, char* argv[])
{
    return trovix::runDesktopProgram(argc, argv);
}
