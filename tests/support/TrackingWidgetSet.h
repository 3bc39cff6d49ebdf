#pragma once

#include "tracking/CaptureTimer.h"
#include "tracking/TrackingPageDriver.h"

#include <QButtonGroup>
#include <QTimer>
#include <QWidget>

class QRadioButton;

// Stand-ins for the widgets of Form1 the tracking controllers are handed, in Form1's
// initial state: one exclusive option per courier, Query disabled, Timer1 at five
// seconds. All of them are children of `form`, which is not shown.
struct TrackingWidgetSet {
    TrackingWidgetSet();

    QRadioButton* option(int row) const { return widgets.options.at(row - 1); }

    QWidget form;
    QButtonGroup group;
    trovix::TrackingWidgets widgets;
    QTimer* timer1;
    trovix::CaptureTimer captureTimer;
};
