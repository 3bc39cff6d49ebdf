#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace trovix {

// The one owner of the capture timer Timer1: page loads and Query enable it, the read
// delay sets its interval, and its expiry starts a capture. The countdown is one-shot,
// so the timer is off from its expiry on and a capture ends with it disabled. Enabling
// it while a countdown runs leaves that countdown as it is: a page that keeps
// completing frames would otherwise put its capture off for ever. Query restarts it
// instead, so the page gets the whole read delay to answer after the submission.
class CaptureTimer final : public QObject {
    Q_OBJECT
public:
    explicit CaptureTimer(QTimer* timer1, QObject* parent = nullptr);

    void enable();
    void restart();
    // The interval of the countdowns that start from now on, in milliseconds.
    void setReadDelay(int milliseconds);
    bool isCountingDown() const;
    // The window is closing: no capture is to come.
    void stop();

Q_SIGNALS:
    void expired();

private:
    QPointer<QTimer> timer1_;
};

} // namespace trovix
