// Trovix's window with its browser engine, against the sample aggregator on a free
// loopback port; the read delay is 0.5 s. Memory is the sum of the proportional sets of
// the process tree: this process and the browser's, which are its children.
//
// "bench_rest rest": the engine ends after restMs at rest instead of a minute. Reports the
// memory once a query's history is shown and the page rests ("memory_after_query_mib"),
// once the engine has ended at rest ("memory_at_rest_mib", "memory_at_rest_processes"),
// how long the first Query after that took from its click to the last history line in
// the result box beyond the read delay ("query_after_rest_ms"), a courier choice to its
// page loaded after the engine ended at rest again ("choice_after_rest_ms") and, the
// median of killRuns, after the engine was killed ("choice_after_kill_ms").
// "bench_rest choices": the memory, in all and by kind of process, at the home page
// ("memory_home_mib", "memory_home_by_process") and after 20 courier choices
// ("memory_choices_mib", "memory_choices_by_process"), and the median of those choices
// to their page loaded ("choice_warm_ms").
// "bench_rest floor": the memory of the window whose engine never started
// ("memory_floor_mib").
#include "AggregatorHosts.h"
#include "BenchReport.h"
#include "ProcessTree.h"
#include "RecordingPrompter.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include "common/SaveFileChooser.h"
#include "engine/ChromiumBrowser.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinLibrary.h"
#include "tracking/CourierCatalogue.h"
#include "window/DesktopProgram.h"
#include "window/Form1.h"
#include "window/Form1Controllers.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <csignal>
#include <unistd.h>

namespace {

constexpr double readDelayMs = 500.0;
constexpr int restMs = 5000;
constexpr int killRuns = 3;
constexpr int choices = 20;
constexpr int waitMs = 60000;
// The engine's heap goes back to the system 1 s after it ended.
constexpr int settleMs = 2000;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "bench_rest: %s\n", what);
    std::fflush(stdout);
    std::_Exit(1);
}

void pause(int ms)
{
    QElapsedTimer waited;
    waited.start();
    spinUntil([&] { return waited.hasExpired(ms); }, ms + 1000);
}

double treeMemoryMiB()
{
    return bench::processTreeMemory(getpid()).proportionalKiB / 1024.0;
}

// "trovix" for this process, "browser" for the engine's main one, otherwise the kind
// Chromium gives the process on its command line.
QString processKind(pid_t pid)
{
    if (pid == getpid())
        return QStringLiteral("trovix");
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("gone");
    // A child rewrites its command line as one text with blanks between the words.
    const QByteArray line = file.readAll().replace('\0', ' ');
    const qsizetype at = line.indexOf(" --type=");
    if (at < 0)
        return QStringLiteral("browser");
    const qsizetype from = at + 8;
    return QString::fromLatin1(line.mid(from, line.indexOf(' ', from) - from));
}

// "trovix 80.1, browser 61.0, zygote×2 4.3, renderer 30.2" in MiB.
QString memoryByProcess()
{
    struct Kind {
        int processes = 0;
        qint64 kib = 0;
    };
    QMap<QString, Kind> kinds;
    QStringList order;
    for (const pid_t pid : bench::processTree(getpid())) {
        const QString kind = processKind(pid);
        if (!kinds.contains(kind))
            order.append(kind);
        ++kinds[kind].processes;
        kinds[kind].kib += bench::proportionalKiB(pid);
    }
    QStringList parts;
    for (const QString& kind : order) {
        const Kind& k = kinds[kind];
        parts.append(kind + (k.processes > 1 ? QStringLiteral("×%1").arg(k.processes) : QString()) +
                     QStringLiteral(" %1").arg(k.kib / 1024.0, 0, 'f', 1));
    }
    return parts.join(QStringLiteral(", "));
}

void reportText(const char* name, const QString& text)
{
    std::printf("%s=%s\n", name, text.toUtf8().constData());
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Trovix's main window as DesktopProgram builds it, with the engine's browser in reach and
// message boxes answered at once, so that none holds a run.
struct TrovixWindow {
    TrovixWindow()
    {
        QObject::connect(&browser, &trovix::Browser::documentCompleted, &browser,
                         [this](trovix::Browser::DocumentId, const QString& address) {
                             loads.append({QUrl(address), bench::sinceStart().nsecsElapsed()});
                         });
        QObject::connect(&browser, &trovix::ChromiumBrowser::engineEnded, &browser,
                         [this] { ++enginesEnded; });
        QObject::connect(&browser, &trovix::ChromiumBrowser::engineUnavailable, &browser,
                         [this](const QString& reason) {
                             if (!engineMayFail)
                                 fail(qPrintable(QStringLiteral("no engine: ") + reason));
                         });
    }

    trovix::Form1& form() { return *controllers.form(); }

    // When the page at this address completed after `since`; -1 if it has not.
    qint64 loadedAt(const QUrl& address, qint64 since) const
    {
        for (const Load& load : loads) {
            if (load.at > since && load.address == address)
                return load.at;
        }
        return -1;
    }

    // From the choice of the courier to its page loaded, in ms.
    double choose(const trovix::Courier& courier)
    {
        QRadioButton* option = form().options().at(courier.row - 1);
        if (option->isChecked())
            fail("the courier is chosen already");
        const QUrl address(trovix::trackingAddress(courier));
        const qint64 chosen = bench::sinceStart().nsecsElapsed();
        option->setChecked(true);
        qint64 loaded = -1;
        if (!spinUntil([&] { return (loaded = loadedAt(address, chosen)) >= 0; }, waitMs))
            fail("a courier's page did not load");
        return (loaded - chosen) / 1e6;
    }

    // From the Query click to the last history line in the result box, beyond the read delay.
    double query(const QString& lastLine)
    {
        QTextEdit* box = form().RichTextBox3;
        bool cleared = false;
        qint64 shown = -1;
        const QMetaObject::Connection watch = QObject::connect(box, &QTextEdit::textChanged, box, [&] {
            const bool holds = box->toPlainText().contains(lastLine);
            if (!cleared)
                cleared = !holds;
            else if (holds && shown < 0)
                shown = bench::sinceStart().nsecsElapsed();
        });
        const qint64 clicked = bench::sinceStart().nsecsElapsed();
        form().Command5->click();
        const bool done = spinUntil([&] { return shown >= 0; }, waitMs);
        QObject::disconnect(watch);
        if (!done)
            fail("the history did not reach the result box");
        return (shown - clicked) / 1e6 - readDelayMs;
    }

    // Until the capture after the last load or Query is over and the page rests.
    void waitForRest()
    {
        if (!spinUntil([&] { return browser.isFrozen() && !form().Timer1->isActive(); }, waitMs))
            fail("the page did not come to rest");
    }

    void waitForEngineEnd(int before)
    {
        if (!spinUntil([&] { return enginesEnded > before; }, waitMs))
            fail("the engine did not end");
    }

    struct Load {
        QUrl address;
        qint64 at;
    };

    trovix::DesktopProgram::ApplicationTexts texts;
    trovix::ProgramFolder folder = trovix::ProgramFolder::ofRunningExecutable();
    trovix::SkinLibrary skinLibrary{folder};
    trovix::SettingsSkinChoiceStore skinChoice;
    trovix::ChromiumBrowser browser{QSize(433, 425), trovix::aggregatorHosts()};
    RecordingPrompter prompter;
    trovix::DialogSaveFileChooser saveFileChooser;
    trovix::Form1Controllers controllers{{browser, nullptr, prompter, saveFileChooser, skinLibrary,
                                          skinChoice, [] { return QDateTime::currentDateTime(); }, folder,
                                          [] { fail("the window ended the program"); }}};
    QList<Load> loads;
    int enginesEnded = 0;
    bool engineMayFail = false;
};

void startWindow(TrovixWindow& w, const QString& homePage)
{
    if (!w.controllers.load())
        fail("the window did not load");
    w.form().show();
    w.form().Text3->setText(QStringLiteral("0.5"));
    if (homePage.isEmpty())
        return;
    if (!spinUntil([&] { return w.loadedAt(QUrl(homePage), -1) >= 0; }, waitMs))
        fail("the home page did not load");
}

void runRest(TrovixWindow& w, const QString& number)
{
    const QList<trovix::Courier>& couriers = trovix::couriers();
    const QString lastLine = SampleAggregator::historyLines(number).last();
    w.form().Text1->setText(number);
    w.choose(couriers.at(0));
    w.waitForRest();
    w.query(lastLine);
    w.waitForRest();
    const int ended = w.enginesEnded;
    pause(1000);
    bench::report("memory_after_query_mib", treeMemoryMiB());

    w.waitForEngineEnd(ended);
    pause(settleMs);
    const bench::TreeMemory atRest = bench::processTreeMemory(getpid());
    bench::report("memory_at_rest_mib", atRest.proportionalKiB / 1024.0);
    bench::report("memory_at_rest_processes", atRest.processes);

    bench::report("query_after_rest_ms", w.query(lastLine));
    w.waitForRest();
    w.waitForEngineEnd(w.enginesEnded);
    pause(settleMs);
    bench::report("choice_after_rest_ms", w.choose(couriers.at(1)));
    w.waitForRest();

    std::vector<double> afterKill;
    for (int run = 0; run < killRuns; ++run) {
        const int before = w.enginesEnded;
        ::kill(pid_t(w.browser.enginePid()), SIGKILL);
        w.waitForEngineEnd(before);
        afterKill.push_back(w.choose(couriers.at(2 + run)));
        w.waitForRest();
    }
    bench::report("choice_after_kill_ms", median(afterKill));
}

void runChoices(TrovixWindow& w)
{
    pause(settleMs);
    bench::report("memory_home_mib", treeMemoryMiB());
    reportText("memory_home_by_process", memoryByProcess());
    const QList<trovix::Courier>& couriers = trovix::couriers();
    std::vector<double> times;
    for (int choice = 0; choice < choices; ++choice) {
        times.push_back(w.choose(couriers.at(choice % couriers.size())));
        w.waitForRest();
    }
    pause(settleMs);
    bench::report("memory_choices_mib", treeMemoryMiB());
    reportText("memory_choices_by_process", memoryByProcess());
    bench::report("choice_warm_ms", median(times));
}

} // namespace

int main(int argc, char* argv[])
{
    trovix::prepareDesktopApplication();
    QApplication application(argc, argv);
    const QString mode = QApplication::arguments().value(1);
    if (mode != QLatin1String("rest") && mode != QLatin1String("choices") && mode != QLatin1String("floor")) {
        std::fprintf(stderr, "usage: bench_rest rest|choices|floor\n");
        return 2;
    }
    // As Trovix's main() does: root runs the engine only with its sandbox off on purpose.
    if (!trovix::sandboxChoiceAllowsStart(QApplication::arguments()))
        fail("root needs QTWEBENGINE_DISABLE_SANDBOX=1 or --no-sandbox");
    SampleAggregator aggregator;
    if (!serveCourierPages(aggregator))
        return 1;
    qputenv("TROVIX_HOME_PAGE", aggregator.homePage().toUtf8());
    const bool floor = mode == QLatin1String("floor");
    // No such browser: the engine never starts, and nothing tells the user.
    if (floor)
        qputenv("TROVIX_BROWSER", "/nonexistent/chromium");

    TrovixWindow w;
    w.engineMayFail = floor;
    if (mode == QLatin1String("rest"))
        w.browser.setRestBeforeEnding(restMs);
    startWindow(w, floor ? QString() : aggregator.homePage());
    if (floor) {
        pause(settleMs);
        const bench::TreeMemory memory = bench::processTreeMemory(getpid());
        bench::report("memory_floor_mib", memory.proportionalKiB / 1024.0);
        bench::report("memory_floor_processes", memory.processes);
    } else if (mode == QLatin1String("rest")) {
        runRest(w, SampleAggregator::knownNumbers().first());
    } else {
        runChoices(w);
    }
    return 0;
}
