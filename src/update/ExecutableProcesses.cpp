#include "update/ExecutableProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
// This glibc's header declares the functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}
#include <unistd.h>

#include <vector>

namespace trovix {

namespace {

QString canonicalExecutable(const QString& path)
{
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
}

QString executableOf(qint64 pid)
{
    char target[4096];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    if (length <= 0 || size_t(length) >= sizeof target)
        return {};
    return QFile::decodeName(QByteArray(target, int(length)));
}

// Waits until every process behind fds has ended or the time is up; ended ones are
// closed and taken out of fds.
void waitForEnd(std::vector<int>& fds, std::chrono::milliseconds wait)
{
    QDeadlineTimer deadline(wait);
    while (!fds.empty()) {
        std::vector<pollfd> watched;
        for (int fd : fds)
            watched.push_back({fd, POLLIN, 0});
        const int ready = ::poll(watched.data(), watched.size(), int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        for (const pollfd& entry : watched) {
            if (entry.revents != 0) {
                ::close(entry.fd);
                fds.erase(std::find(fds.begin(), fds.end(), entry.fd));
            }
        }
        if (ready <= 0 || deadline.hasExpired())
            return;
    }
}

void signalAll(const std::vector<int>& fds, int signal)
{
    for (int fd : fds)
        ::pidfd_send_signal(fd, signal, nullptr, 0);
}

} // namespace

ExecutableProcesses::ExecutableProcesses(const QString& executablePath)
    : executable_(canonicalExecutable(executablePath))
{
}

bool ExecutableProcesses::runsExecutable(qint64 pid) const
{
    // A process whose file was replaced or deleted since it started still belongs here.
    const QString running = executableOf(pid);
    return running == executable_ || running == executable_ + QStringLiteral(" (deleted)");
}

QList<qint64> ExecutableProcesses::running() const
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && runsExecutable(pid))
            found.append(pid);
    }
    return found;
}

bool ExecutableProcesses::stopAll(std::chrono::milliseconds termWait,
                                  std::chrono::milliseconds killWait) const
{
    std::vector<int> fds;
    for (qint64 pid : running()) {
        const int fd = ::pidfd_open(pid_t(pid), 0);
        // Checked again once the descriptor pins the process, so a number reused by
        // another program in between is never signalled.
        if (fd >= 0 && runsExecutable(pid))
            fds.push_back(fd);
        else if (fd >= 0)
            ::close(fd);
    }
    signalAll(fds, SIGTERM);
    waitForEnd(fds, termWait);
    signalAll(fds, SIGKILL);
    waitForEnd(fds, killWait);
    const bool allEnded = fds.empty();
    for (int fd : fds)
        ::close(fd);
    return allEnded;
}

} // namespace trovix
