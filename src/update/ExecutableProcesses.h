#pragma once

#include <QList>
#include <QString>

namespace trovix {

// The running processes of one executable file, found by what /proc/PID/exe resolves
// to, so that a program of the same name in another folder is never touched.
class ExecutableProcesses {
public:
    explicit ExecutableProcesses(const QString& executablePath);

    QList<qint64> running() const;

    // A pidfd for each running one (the caller closes them): signals sent through it
    // never reach another program that took over a freed process number.
    QList<int> pinRunning() const;

private:
    bool runsExecutable(qint64 pid) const;

    QString executable_;
};

} // namespace trovix
