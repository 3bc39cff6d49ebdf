#pragma once

#include <QElapsedTimer>
#include <QString>

#include <sys/types.h>

// What both start-up programs report, one "name=value" line each on standard output.
namespace bench {

// Milliseconds since the launcher wrote the time of the launch into TROVIX_BENCH_LAUNCH
// (seconds since the epoch with a fraction, as bash's EPOCHREALTIME gives it); since the
// program's start when it is not set.
double msSinceLaunch();
// Started before main() runs.
const QElapsedTimer& sinceStart();

// The memory of a process and all its descendants, in KiB: the sum of each one's peak
// resident set (VmHWM) and the sum of their proportional sets (Pss) at this moment,
// which counts a page shared by several processes once in all.
struct TreeMemory {
    qint64 peakKiB = 0;
    qint64 proportionalKiB = 0;
    int processes = 0;
};
TreeMemory processTreeMemory(pid_t root);
// One process's proportional set, in KiB; 0 when it is gone or may not be read.
qint64 proportionalKiB(pid_t pid);

void report(const char* name, double value);
void reportTreeMemory();

} // namespace bench
