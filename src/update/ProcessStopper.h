#pragma once

#include <QList>
#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

namespace trovix {

class ExecutableProcesses;

// Ends the running processes of one executable without blocking the caller: asks
// each to end (SIGTERM), forces those left after termWait (SIGKILL) and gives up
// after killWait more. The end of a process is seen on its pidfd.
class ProcessStopper final : public QObject {
    Q_OBJECT
public:
    ProcessStopper(std::chrono::milliseconds termWait, std::chrono::milliseconds killWait,
                   QObject* parent = nullptr);
    ~ProcessStopper() override;

    // finished() follows, also when nothing runs.
    void stop(const ExecutableProcesses& processes);
    // Forces the rest now instead of waiting for them.
    void hurry();

Q_SIGNALS:
    void finished(bool allEnded);

private:
    struct Watched {
        int pidfd;
        QSocketNotifier* notifier;
    };

    void onEnded(int pidfd);
    void signalAll(int signal);
    void finish(bool allEnded);

    QTimer termTimer_;
    QTimer killTimer_;
    QList<Watched> watched_;
    bool running_ = false;
};

} // namespace trovix
