#include "common/ProgramFolder.h"
#include "update/InstalledVersion.h"
#include "update/UpdateProgram.h"

#include <cstring>

int main(int argc, char* argv[])
{
    // For the launcher: exit status 0 when the Trovix in FOLDER is newer than the one in
    // THAN, told without starting either and without a window.
    if (argc == 4 && std::strcmp(argv[1], "--newer-build") == 0) {
        const trovix::ProgramFolder folder(QString::fromLocal8Bit(argv[2]));
        const trovix::ProgramFolder than(QString::fromLocal8Bit(argv[3]));
        return trovix::holdsNewerBuild(folder, than) ? 0 : 1;
    }
    return trovix::runUpdateProgram(argc, argv, {});
}
