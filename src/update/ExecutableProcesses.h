#pragma once

#include <QList>
#include <QString>

#include <chrono>

namespace trovix {

// The running processes of one executable file, found by what /proc/PID/exe resolves
// to, so that a program of the same name in another folder is never touched.
class ExecutableProcesses {
public:
    explicit ExecutableProcesses(const QString& executablePath);

    QList<qint64> running() const;

    // Asks every one to end (SIGTERM), waits up to termWait, forces the rest (SIGKILL)
    // and waits up to killWait. True when none is left.
    bool stopAll(std::chrono::milliseconds termWait, std::chrono::milliseconds killWait) const;

private:
    bool runsExecutable(qint64 pid) const;

    QString executable_;
};

} // namespace trovix
