#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Waits in a running event loop until the condition holds or the time is up; returns
// the condition. The browser's pipe is read on this thread and needs a real event loop:
// QTest::qWait, qWaitFor and the QTRY_ macros sleep between event batches, which
// stretches every page load to seconds.
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 20000)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return condition();
}
