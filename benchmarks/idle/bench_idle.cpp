// Trovix as its main() runs it, against the sample aggregator on a free loopback port.
// "bench_idle busy|plain SECONDS": queries a known number on a page that runs the named
// script ("plain": none), waits until the history is shown and the capture is over,
// then reports the CPU time of its process tree (itself and the browser's processes)
// over SECONDS, as a percentage of one core ("idle_cpu_percent"). "bench_idle hang":
// picks a courier whose page hangs, picks the next courier once the hang has begun and
// reports how long that courier's page took to load ("hang_recovery_ms").
// "bench_idle huge-line|long-lines": queries on a result page whose history holds one line
// of 7.8 million characters, or 100,000 lines, and reports the longest the window's thread
// went without turning to its events from Query until the history is shown
// ("window_wait_ms"). "bench_idle storage": the memory of the process tree (the sum of
// proportional sets) once the home page has loaded ("memory_before_mib"), once a courier's
// page stored 400 MB ("memory_stored_mib"), and 5 s after the next courier's page loaded
// ("memory_moved_on_mib").
#include "AggregatorHosts.h"
#include "BenchReport.h"
#include "ProcessTree.h"
#include "SampleAggregator.h"

#include "window/DesktopProgram.h"
#include "window/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>

#include <unistd.h>

namespace {

// utime + stime of a process and all its descendants, in clock ticks, with those of the
// descendants that ended and were waited for (a page process ended at rest counts on in
// its parent's cutime and cstime).
qint64 treeCpuTicks(pid_t root)
{
    qint64 ticks = 0;
    for (const pid_t pid : bench::processTree(root)) {
        const QList<QByteArray> fields = bench::statFieldsAfterName(pid);
        // utime, stime, cutime and cstime are fields 14 to 17 of the whole line.
        for (int field = 11; field <= 14; ++field)
            ticks += fields.value(field).toLongLong();
    }
    return ticks;
}

double treeMemoryMiB()
{
    return bench::processTreeMemory(getpid()).proportionalKiB / 1024.0;
}

} // namespace

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    const QString mode = QApplication::arguments().value(1);
    const int seconds = QApplication::arguments().value(2, QStringLiteral("10")).toInt();
    SampleAggregator aggregator;
    if (!serveCourierPages(aggregator))
        return 1;
    qputenv("TROVIX_HOME_PAGE", aggregator.homePage().toUtf8());
    const bool storage = mode == QLatin1String("storage");
    aggregator.setHostileScript(mode == QLatin1String("plain") || storage ? QString() : mode);

    trovix::DesktopProgram program;
    trovix::Form1& form = *program.controllers().form();
    QObject::connect(&aggregator, &SampleAggregator::submitted, &application,
                     [&](const SampleAggregator::Submission& submission) {
                         if (!storage ||
                             submission.path != QLatin1String(SampleAggregator::hostileReportPath))
                             return;
                         QTimer::singleShot(2000, &application, [&] {
                             bench::report("memory_stored_mib", treeMemoryMiB());
                             aggregator.setHostileScript({});
                             form.Option2->setChecked(true);
                         });
                     });
    const QString number = SampleAggregator::knownNumbers().first();
    const QString lastLine = SampleAggregator::historyLines(number).last();
    const bool windowWait = mode == QLatin1String("huge-line") || mode == QLatin1String("long-lines");
    QElapsedTimer sinceTick;
    qint64 longestWaitMs = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, &application,
                     [&] { longestWaitMs = qMax(longestWaitMs, sinceTick.restart()); });
    bool homeLoaded = false;
    bool queried = false;
    QElapsedTimer sinceChoice;
    QObject::connect(
        &program.browser(), &trovix::Browser::documentCompleted, &application,
        [&](trovix::Browser::DocumentId, const QString& address) {
            if (!homeLoaded && address == aggregator.homePage()) {
                homeLoaded = true;
                form.Text3->setText(QStringLiteral("0.5"));
                form.Text1->setText(number);
                if (!storage) {
                    form.Option1->setChecked(true);
                    return;
                }
                // No capture, so no rest, while the page stores.
                form.Text3->setText(QStringLiteral("600"));
                QTimer::singleShot(2000, &application, [&] {
                    bench::report("memory_before_mib", treeMemoryMiB());
                    aggregator.setHostileScript(QStringLiteral("storage"), QStringLiteral("mb=400"));
                    form.Option1->setChecked(true);
                });
            } else if (storage) {
                if (address.endsWith(QLatin1String("/all/sf.html"))) {
                    QTimer::singleShot(5000, &application, [] {
                        bench::report("memory_moved_on_mib", treeMemoryMiB());
                        QCoreApplication::exit(0);
                    });
                }
            } else if (mode == QLatin1String("hang") && address.endsWith(QLatin1String("/all/ems.html"))) {
                // The page hangs 0.2 s after its load.
                QTimer::singleShot(1000, &application, [&] {
                    aggregator.setHostileScript({});
                    sinceChoice.start();
                    form.Option2->setChecked(true);
                });
            } else if (mode == QLatin1String("hang") && address.endsWith(QLatin1String("/all/sf.html"))) {
                bench::report("hang_recovery_ms", sinceChoice.nsecsElapsed() / 1e6);
                QCoreApplication::exit(0);
            } else if (!queried && address.endsWith(QLatin1String("/all/ems.html"))) {
                queried = true;
                QTimer::singleShot(1000, form.Command5, [&] {
                    sinceTick.start();
                    tick.start();
                    form.Command5->click();
                });
            }
        });
    QTimer settle;
    settle.setInterval(100);
    QObject::connect(&settle, &QTimer::timeout, &application, [&] {
        if (!form.RichTextBox3->toPlainText().contains(lastLine) || form.Timer1->isActive())
            return;
        settle.stop();
        if (windowWait) {
            bench::report("window_wait_ms", double(longestWaitMs));
            QCoreApplication::exit(0);
            return;
        }
        // The capture's own end, then the measured span.
        QTimer::singleShot(1000, &application, [&] {
            const qint64 before = treeCpuTicks(getpid());
            QElapsedTimer span;
            span.start();
            QTimer::singleShot(seconds * 1000, &application, [&, before, span] {
                const double cpuSeconds =
                    double(treeCpuTicks(getpid()) - before) / double(sysconf(_SC_CLK_TCK));
                bench::report("idle_cpu_percent", 100.0 * cpuSeconds / (span.nsecsElapsed() / 1e9));
                QCoreApplication::exit(0);
            });
        });
    });
    if (mode != QLatin1String("hang") && !storage)
        settle.start();

    if (!program.start())
        return 1;
    return application.exec();
}
