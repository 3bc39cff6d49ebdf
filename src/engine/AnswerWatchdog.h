#pragma once

#include <QObject>

#include <functional>

namespace trovix {

// Makes a page process prove that it still answers: a probe sent to it must come back
// within the deadline, or the process is ended (a hung page holds every later call and
// the next navigation of its site). A document that finished loading meanwhile may have
// taken the probe with it, and one still on its way holds it, so the process is then
// probed anew.
class AnswerWatchdog final : public QObject {
    Q_OBJECT
public:
    // What the watchdog needs of the page.
    struct Page {
        std::function<qint64()> processId; // 0: no process
        // Sends a probe; answered runs when the page answers it.
        std::function<void(std::function<void()> answered)> probe;
        std::function<int()> loadsFinished;
        std::function<bool()> documentComing;
        std::function<void(qint64 pid)> endProcess;
    };

    AnswerWatchdog(Page page, QObject* parent);

    void setDeadline(int ms) { deadlineMs_ = ms; }
    // Probes the page, unless a probe is out already; then, if given, runs once the page
    // has answered (a probe is sent for it anyway).
    void check(std::function<void()> then = {});
    // The process went: what was out is of no account.
    void forget() { probing_ = false; }

private:
    Page page_;
    int deadlineMs_ = 0;
    quint64 lastProbe_ = 0;
    quint64 answeredProbe_ = 0;
    bool probing_ = false;
};

} // namespace trovix
