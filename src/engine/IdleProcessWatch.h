#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace trovix {

// Watches a process that ought to be idle (a page at rest): once a grace has passed, it
// reads the process's CPU time every window and calls onBusy once when the process used
// more than busyPercent of one core in a window. Linux: /proc/PID/stat.
// It can also be asked at once whether the process spins: used more than a quarter of a
// core since the watch began.
class IdleProcessWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr int graceMs = 250;
    static constexpr int windowMs = 500;
    static constexpr int busyPercent = 5;

    explicit IdleProcessWatch(std::function<void(qint64 pid)> onBusy, QObject* parent = nullptr);

    void watch(qint64 pid);
    void stop();
    bool spinning() const;

    // utime + stime in milliseconds; -1 when the process is gone.
    static qint64 cpuMs(qint64 pid);

private:
    void sample();

    std::function<void(qint64 pid)> onBusy_;
    QTimer timer_;
    qint64 pid_ = 0;
    qint64 lastCpuMs_ = -1;
    qint64 startCpuMs_ = -1;
    QElapsedTimer sinceStart_;
};

} // namespace trovix
