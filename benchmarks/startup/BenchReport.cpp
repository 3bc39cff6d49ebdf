#include "BenchReport.h"

#include "ProcessTree.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace bench {

const QElapsedTimer& sinceStart()
{
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer;
}

namespace {

const bool startTimerEarly = (sinceStart(), true);

qint64 fieldKiB(const QByteArray& text, const QByteArray& field)
{
    const qsizetype at = text.indexOf(QByteArray('\n' + field + ':'));
    if (at < 0)
        return 0;
    const qsizetype from = at + field.size() + 2;
    const qsizetype end = text.indexOf('\n', from);
    return text.mid(from, end - from).trimmed().split(' ').value(0).toLongLong();
}

QByteArray readProc(pid_t pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? '\n' + file.readAll() : QByteArray();
}

} // namespace

double msSinceLaunch()
{
    bool ok = false;
    const double launch = qEnvironmentVariable("TROVIX_BENCH_LAUNCH").toDouble(&ok);
    if (!ok)
        return sinceStart().nsecsElapsed() / 1e6;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return (double(now.tv_sec) - launch) * 1000.0 + now.tv_nsec / 1e6;
}

qint64 proportionalKiB(pid_t pid)
{
    return fieldKiB(readProc(pid, "smaps_rollup"), "Pss");
}

TreeMemory processTreeMemory(pid_t root)
{
    TreeMemory memory;
    for (const pid_t pid : processTree(root)) {
        memory.peakKiB += fieldKiB(readProc(pid, "status"), "VmHWM");
        memory.proportionalKiB += proportionalKiB(pid);
        ++memory.processes;
    }
    return memory;
}

void report(const char* name, double value)
{
    std::printf("%s=%.1f\n", name, value);
    std::fflush(stdout);
}

void reportTreeMemory()
{
    const TreeMemory memory = processTreeMemory(getpid());
    report("tree_peak_mib", memory.peakKiB / 1024.0);
    report("tree_pss_mib", memory.proportionalKiB / 1024.0);
    report("tree_processes", memory.processes);
}

} // namespace bench
