#include "update/ProcessStopper.h"

#include "update/ExecutableProcesses.h"

#include <QSocketNotifier>

#include <csignal>
// This glibc's header declares the functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}
#include <unistd.h>

namespace trovix {

ProcessStopper::ProcessStopper(std::chrono::milliseconds termWait, std::chrono::milliseconds killWait,
                               QObject* parent)
    : QObject(parent)
{
    termTimer_.setSingleShot(true);
    termTimer_.setInterval(termWait);
    killTimer_.setSingleShot(true);
    killTimer_.setInterval(killWait);
    connect(&termTimer_, &QTimer::timeout, this, &ProcessStopper::hurry);
    connect(&killTimer_, &QTimer::timeout, this, [this] { finish(false); });
}

ProcessStopper::~ProcessStopper()
{
    for (const Watched& process : std::as_const(watched_))
        ::close(process.pidfd);
}

void ProcessStopper::stop(const ExecutableProcesses& processes)
{
    running_ = true;
    for (int pidfd : processes.pinRunning()) {
        auto* notifier = new QSocketNotifier(pidfd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, pidfd] { onEnded(pidfd); });
        watched_.append({pidfd, notifier});
    }
    if (watched_.isEmpty()) {
        QTimer::singleShot(0, this, [this] { finish(true); });
        return;
    }
    signalAll(SIGTERM);
    termTimer_.start();
}

void ProcessStopper::hurry()
{
    if (!running_ || killTimer_.isActive())
        return;
    termTimer_.stop();
    signalAll(SIGKILL);
    killTimer_.start();
}

void ProcessStopper::onEnded(int pidfd)
{
    for (qsizetype i = 0; i < watched_.size(); ++i) {
        if (watched_.at(i).pidfd != pidfd)
            continue;
        watched_.at(i).notifier->setEnabled(false);
        watched_.at(i).notifier->deleteLater();
        ::close(pidfd);
        watched_.removeAt(i);
        break;
    }
    if (watched_.isEmpty())
        finish(true);
}

void ProcessStopper::signalAll(int signal)
{
    for (const Watched& process : std::as_const(watched_))
        ::pidfd_send_signal(process.pidfd, signal, nullptr, 0);
}

void ProcessStopper::finish(bool allEnded)
{
    if (!running_)
        return;
    running_ = false;
    termTimer_.stop();
    killTimer_.stop();
    Q_EMIT finished(allEnded);
}

} // namespace trovix
