#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>

class QLabel;
class QTimer;

namespace trovix {

// Shows the time in Label8 on every tick of Timer2; the date in Label12 is the
// start-up date and is never refreshed.
class Clock : public QObject {
    Q_OBJECT
public:
    using TimeSource = std::function<QDateTime()>;

    Clock(QLabel* label8, QLabel* label12, QTimer* timer2, TimeSource now, QObject* parent = nullptr);

    void showTimeAndDate(); // start-up
    void tick();

    static QString timeText(const QDateTime& moment); // "hh:mm:ss"
    static QString dateText(const QDateTime& moment); // "YYYY年MM月DD日"

private:
    QLabel* label8_;
    QLabel* label12_;
    TimeSource now_;
};

} // namespace trovix
