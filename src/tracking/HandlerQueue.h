#pragma once

#include <QObject>
#include <QQueue>

#include <functional>

namespace trovix {

// Runs the window's handlers one after another, as if they shared one thread: a handler
// that waits for the page (a lookup, a read of the page text) holds back every handler
// that comes after it until it has finished. A handler is handed a `finish` to call
// once, at once or later; calls after the first are ignored.
class HandlerQueue : public QObject {
    Q_OBJECT
public:
    using Finish = std::function<void()>;
    using Handler = std::function<void(const Finish& finish)>;

    using QObject::QObject;

    void run(Handler handler);
    bool isBusy() const { return running_; }

    // Drops the handlers still waiting and every later one; a running handler's finish
    // then starts nothing.
    void stop();

private:
    void runWaiting();

    QQueue<Handler> waiting_;
    bool running_ = false;
    bool stopped_ = false;
    quint64 ticket_ = 0;
};

} // namespace trovix
