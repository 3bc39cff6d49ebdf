// A stand-in for Trovix in the updater's tests: it carries its version marker, records
// its version in its folder's config.ini, as Trovix does at start-up, then takes the name "recorded" (seen in
// /proc/PID/comm) and runs until it is stopped. With TROVIX_STANDIN_IGNORE_TERM set it
// ignores SIGTERM, like a program that hangs.
#include "common/ProgramFolder.h"
#include "update/PrivateProfile.h"
#include "update/VersionMarker.h"

#include <QCoreApplication>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

// As a build of Trovix carries it.
[[gnu::used]] static constexpr char VersionMarker[] = TROVIX_VERSION_MARKER(STANDIN_VERSION);

int main(int argc, char* argv[])
{
    // Never outlives a test run that lost track of it.
    ::alarm(120);
    if (qEnvironmentVariableIsSet("TROVIX_STANDIN_IGNORE_TERM"))
        std::signal(SIGTERM, SIG_IGN);
    const QCoreApplication app(argc, argv);
    trovix::profile::writeString(
        trovix::ProgramFolder::ofRunningExecutable().file(trovix::programfiles::InstalledVersionFile),
        QStringLiteral("Ver"), QStringLiteral("appver"), STANDIN_VERSION);
    // The record goes through a scratch file: the tests wait for this before they list the folder.
    ::prctl(PR_SET_NAME, "recorded");
    for (;;)
        ::pause();
}
