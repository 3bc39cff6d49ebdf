#include "tracking/CaptureTimer.h"

namespace trovix {

CaptureTimer::CaptureTimer(QTimer* timer1, QObject* parent) : QObject(parent), timer1_(timer1)
{
    timer1->setSingleShot(true);
    // The read delay is the least the page is given; a coarse timer may fire 5% early.
    timer1->setTimerType(Qt::PreciseTimer);
    connect(timer1, &QTimer::timeout, this, &CaptureTimer::expired);
}

void CaptureTimer::enable()
{
    if (timer1_ && !timer1_->isActive())
        timer1_->start();
}

void CaptureTimer::restart()
{
    if (timer1_)
        timer1_->start();
}

void CaptureTimer::setReadDelay(int milliseconds)
{
    if (timer1_)
        timer1_->setInterval(milliseconds);
}

bool CaptureTimer::isCountingDown() const
{
    return timer1_ && timer1_->isActive();
}

void CaptureTimer::stop()
{
    if (timer1_)
        timer1_->stop();
}

} // namespace trovix
