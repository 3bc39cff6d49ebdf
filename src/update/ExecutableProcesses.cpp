#include "update/ExecutableProcesses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// This glibc's header declares the functions without C linkage.
extern "C" {
#include <sys/pidfd.h>
}
#include <unistd.h>

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

QList<int> ExecutableProcesses::pinRunning() const
{
    QList<int> pinned;
    for (qint64 pid : running()) {
        const int fd = ::pidfd_open(pid_t(pid), 0);
        // Checked again once the descriptor pins the process, so a number reused by
        // another program in between is never taken.
        if (fd >= 0 && runsExecutable(pid))
            pinned.append(fd);
        else if (fd >= 0)
            ::close(fd);
    }
    return pinned;
}

} // namespace trovix
