#pragma once

class QTimer;

namespace trovix {

// Enables the capture timer Timer1. A countdown already running goes on as it is: a
// page that keeps completing frames would otherwise put its capture off for ever.
void enableCaptureTimer(QTimer* timer1);

} // namespace trovix
