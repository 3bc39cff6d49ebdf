#include "window/Clock.h"

#include <QLabel>
#include <QTimer>

namespace trovix {

Clock::Clock(QLabel* label8, QLabel* label12, QTimer* timer2, TimeSource now, QObject* parent)
    : QObject(parent), label8_(label8), label12_(label12), now_(std::move(now))
{
    connect(timer2, &QTimer::timeout, this, &Clock::tick);
}

QString Clock::timeText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("HH:mm:ss"));
}

QString Clock::dateText(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyyy年MM月dd日"));
}

void Clock::showTimeAndDate()
{
    const QDateTime moment = now_();
    label8_->setText(timeText(moment));
    label12_->setText(dateText(moment));
}

void Clock::tick()
{
    label8_->setText(timeText(now_()));
}

} // namespace trovix
