#include "engine/IdleProcessWatch.h"

#include <QFile>

#include <unistd.h>

#include <utility>

namespace trovix {

IdleProcessWatch::IdleProcessWatch(std::function<void(qint64 pid)> onBusy, QObject* parent)
    : QObject(parent), onBusy_(std::move(onBusy))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &IdleProcessWatch::sample);
}

void IdleProcessWatch::watch(qint64 pid)
{
    pid_ = pid;
    lastCpuMs_ = -1;
    startCpuMs_ = cpuMs(pid);
    sinceStart_.start();
    timer_.start(graceMs);
}

void IdleProcessWatch::stop()
{
    pid_ = 0;
    timer_.stop();
}

bool IdleProcessWatch::spinning() const
{
    // Too short a span tells nothing: the process may just be finishing what froze it.
    const qint64 span = sinceStart_.isValid() ? sinceStart_.elapsed() : 0;
    if (pid_ == 0 || startCpuMs_ < 0 || span < 100)
        return false;
    return (cpuMs(pid_) - startCpuMs_) * 4 > span;
}

qint64 IdleProcessWatch::cpuMs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The name, in parentheses, may hold blanks: fields are counted after its end.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    // Fields 14 and 15 of the line, utime and stime, in clock ticks.
    const qint64 ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong();
    return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

void IdleProcessWatch::sample()
{
    const qint64 used = cpuMs(pid_);
    if (used < 0)
        return;
    if (lastCpuMs_ >= 0 && (used - lastCpuMs_) * 100 > qint64(windowMs) * busyPercent) {
        onBusy_(std::exchange(pid_, 0));
        return;
    }
    lastCpuMs_ = used;
    timer_.start(windowMs);
}

} // namespace trovix
