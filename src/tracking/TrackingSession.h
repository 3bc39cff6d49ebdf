#pragma once

#include "tracking/CaptureTimer.h"
#include "tracking/HandlerQueue.h"
#include "tracking/ReadDelay.h"
#include "tracking/ResultCapture.h"
#include "tracking/TrackingPageDriver.h"
#include "tracking/TrackingWidgets.h"

#include <QObject>

namespace trovix {

class ProgramFolder;
class Prompter;

// Tracking as the window runs it: the handler queue, the capture timer Timer1, the page
// driver, the read delay and the capture, wired to one another, to the widgets and to
// the browser.
class TrackingSession final : public QObject {
    Q_OBJECT
public:
    TrackingSession(const TrackingWidgets& widgets, Browser& browser, Prompter& prompter,
                    const ProgramFolder& programFolder, QObject* parent = nullptr);

    // The window is closing: what waits for its turn never runs, and no capture is to come.
    void stop();

Q_SIGNALS:
    void captureFinished();

private:
    HandlerQueue handlers_;
    CaptureTimer captureTimer_;
    TrackingPageDriver driver_;
    ReadDelayController readDelay_;
    ResultCapture capture_;
};

} // namespace trovix
