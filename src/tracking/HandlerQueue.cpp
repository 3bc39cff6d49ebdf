#include "tracking/HandlerQueue.h"

#include <QPointer>

#include <memory>

namespace trovix {

void HandlerQueue::run(Handler handler)
{
    if (stopped_)
        return;
    waiting_.enqueue(std::move(handler));
    if (!running_)
        runWaiting();
}

void HandlerQueue::stop()
{
    stopped_ = true;
    waiting_.clear();
}

void HandlerQueue::runWaiting()
{
    // A loop rather than recursion: handlers that finish at once follow each other here.
    while (!running_ && !waiting_.isEmpty() && !stopped_) {
        const Handler handler = waiting_.dequeue();
        running_ = true;
        const quint64 ticket = ++ticket_;
        const auto inside = std::make_shared<bool>(true);
        QPointer<HandlerQueue> self(this);
        handler([self, ticket, inside] {
            if (!self || !self->running_ || self->ticket_ != ticket)
                return;
            self->running_ = false;
            if (!*inside)
                self->runWaiting();
        });
        if (!self)
            return;
        *inside = false;
    }
}

} // namespace trovix
