#include "engine/AnswerWatchdog.h"

#include <QPointer>
#include <QTimer>

#include <utility>

namespace trovix {

AnswerWatchdog::AnswerWatchdog(Page page, QObject* parent) : QObject(parent), page_(std::move(page)) {}

void AnswerWatchdog::check(std::function<void()> then)
{
    const qint64 pid = page_.processId();
    if (pid == 0 || (probing_ && !then))
        return;
    probing_ = true;
    const quint64 probe = ++lastProbe_;
    const int loadsBefore = page_.loadsFinished();
    QPointer<AnswerWatchdog> self(this);
    page_.probe([self, probe, then] {
        if (!self)
            return;
        self->answeredProbe_ = qMax(self->answeredProbe_, probe);
        if (probe == self->lastProbe_)
            self->probing_ = false;
        if (then)
            then();
    });
    QTimer::singleShot(deadlineMs_, this, [this, probe, pid, loadsBefore] {
        if (answeredProbe_ >= probe || page_.processId() != pid)
            return;
        if (page_.loadsFinished() != loadsBefore || page_.documentComing()) {
            probing_ = false;
            check();
            return;
        }
        page_.endProcess(pid);
    });
}

} // namespace trovix
