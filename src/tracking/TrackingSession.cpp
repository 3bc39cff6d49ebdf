#include "tracking/TrackingSession.h"

namespace trovix {

TrackingSession::TrackingSession(const TrackingWidgets& widgets, Browser& browser, Prompter& prompter,
                                 const ProgramFolder& programFolder, QObject* parent)
    : QObject(parent), captureTimer_(widgets.timer1),
      driver_(widgets, captureTimer_, browser, prompter, handlers_), readDelay_(widgets.text3, captureTimer_),
      capture_(browser, widgets.richTextBox2, widgets.richTextBox3, captureTimer_, prompter, handlers_,
               programFolder)
{
    connect(&capture_, &ResultCapture::captureFinished, this, &TrackingSession::captureFinished);
}

void TrackingSession::stop()
{
    handlers_.stop();
    captureTimer_.stop();
}

} // namespace trovix
