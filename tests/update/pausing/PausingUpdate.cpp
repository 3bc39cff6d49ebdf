// The update program for the tests that end it by force: at the point of the hand-over
// named by its first argument it stops itself, for the test to kill it there.
#include "update/UpdateProgram.h"

#include <QByteArray>

#include <csignal>

int main(int argc, char* argv[])
{
    const QByteArray pauseAt = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    return trovix::runUpdateProgram(argc, argv, [pauseAt](const char* point) {
        if (pauseAt == point)
            ::raise(SIGSTOP);
    });
}
