#include "X11Desktop.h"

#include "SpinUntil.h"

#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::string& display)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::string(*entry).rfind("DISPLAY=", 0) != 0)
            environment.emplace_back(*entry);
    }
    if (!display.empty())
        environment.push_back("DISPLAY=" + display);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    return ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

X11Desktop::X11Desktop()
{
    int fds[2];
    if (::pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    // The server writes the number of a free display to the descriptor it is given. It
    // must not reset when its last client leaves: it then refuses the next one a moment.
    const std::string fd = std::to_string(fds[1]);
    server_ =
        spawn({"Xvfb", "-displayfd", fd, "-noreset", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
    ::close(fds[1]);
    if (server_ <= 0) {
        error_ = "Xvfb could not be started (scripts/install-deps installs it)";
        ::close(fds[0]);
        return;
    }
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (::poll(&wait, 1, 20000) == 1 && ::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    if (number.empty()) {
        error_ = "Xvfb gave no display";
        return;
    }
    display_ = ":" + number;
    windowManager_ = spawn({"openbox", "--sm-disable"}, display_);
    if (windowManager_ <= 0)
        error_ = "openbox could not be started (scripts/install-deps installs it)";
}

X11Desktop::~X11Desktop()
{
    stop(windowManager_);
    stop(server_);
}

QProcessEnvironment X11Desktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

bool X11Desktop::waitForWindowManager() const
{
    // The window manager announces itself on the root window once it manages windows.
    return running() &&
           spinUntil(
               [this] {
                   QProcess xprop;
                   xprop.setProcessEnvironment(environment());
                   xprop.start(QStringLiteral("xprop"),
                               {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
                   return xprop.waitForFinished(10000) && xprop.readAllStandardOutput().contains("window id");
               },
               30000);
}
