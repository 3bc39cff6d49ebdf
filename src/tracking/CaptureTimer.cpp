#include "tracking/CaptureTimer.h"

#include <QTimer>

namespace trovix {

void enableCaptureTimer(QTimer* timer1)
{
    if (!timer1->isActive())
        timer1->start();
}

} // namespace trovix
