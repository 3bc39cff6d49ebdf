#include "window/WindowOnScreenWatch.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <utility>

namespace trovix {

WindowOnScreenWatch::WindowOnScreenWatch(QWindow* window, std::function<void()> onScreen, QObject* parent)
    : QObject(parent), window_(window), onScreen_(std::move(onScreen))
{
    if (!window_)
        return;
    if (window_->isExposed()) {
        QMetaObject::invokeMethod(this, &WindowOnScreenWatch::callBack, Qt::QueuedConnection);
        return;
    }
    window_->installEventFilter(this);
    QTimer::singleShot(unexposedMs, this, [this] {
        if (window_ && window_->isVisible())
            callBack();
    });
}

bool WindowOnScreenWatch::eventFilter(QObject* watched, QEvent* event)
{
    // Queued: the window draws itself while it handles this exposure.
    if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed())
        QMetaObject::invokeMethod(this, &WindowOnScreenWatch::callBack, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void WindowOnScreenWatch::callBack()
{
    // Taken first: the events handled meanwhile may bring another call.
    const std::function<void()> onScreen = std::exchange(onScreen_, {});
    if (!onScreen)
        return;
    if (window_)
        window_->removeEventFilter(this);
    // What the window drew reaches the screen before what comes next holds this thread.
    QGuiApplication::sync();
    onScreen();
}

} // namespace trovix
