#include "window/Module1.h"

#include "common/Twips.h"

#include <QPointer>
#include <QWidget>

namespace trovix::Module1 {

namespace {

struct Lock {
    bool installed = false;
    QPointer<QWidget> window;
    QSize previousMinimum;
    QSize previousMaximum;
    int lockedWidth = 0;
    int lockedHeight = 0;
};

Lock& lock()
{
    static Lock state;
    return state;
}

} // namespace

void install(QWidget* window)
{
    Lock& state = lock();
    if (state.installed || !window)
        return;
    state.window = window;
    const QSize outer = window->frameGeometry().size();
    state.lockedHeight = twipsToPixelsHalfEven(outer.height() * TwipsPerPixel, TwipsPerPixel);
    state.lockedWidth = twipsToPixelsHalfEven(outer.width() * TwipsPerPixel, TwipsPerPixel);
    state.previousMinimum = window->minimumSize();
    state.previousMaximum = window->maximumSize();
    const QSize decorations = outer - window->size();
    const QSize hint = QSize(state.lockedWidth, state.lockedHeight) - decorations;
    window->setMinimumSize(hint);
    window->setMaximumSize(hint);
    state.installed = true;
}

void remove()
{
    Lock& state = lock();
    if (!state.installed)
        return;
    if (state.window) {
        state.window->setMinimumSize(state.previousMinimum);
        state.window->setMaximumSize(state.previousMaximum);
    }
    state = Lock();
}

bool isInstalled()
{
    return lock().installed;
}

QSize lockedSize()
{
    const Lock& state = lock();
    return state.installed ? QSize(state.lockedWidth, state.lockedHeight) : QSize();
}

} // namespace trovix::Module1
