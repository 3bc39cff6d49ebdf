#include "update/UpdateProgram.h"

int main(int argc, char* argv[])
{
    return trovix::runUpdateProgram(argc, argv, {});
}
