#pragma once

#include "tracking/CourierChoice.h"
#include "tracking/TrackingWidgets.h"

#include <QButtonGroup>
#include <QWidget>

class QRadioButton;

// Stand-ins for the widgets of Form1 that tracking is handed, in Form1's initial state:
// one exclusive option per courier, Query disabled, a read delay of "5" and Timer1 at
// five seconds. All of them are children of `form`, which is not shown.
struct TrackingWidgetSet {
    TrackingWidgetSet();

    QRadioButton* option(int row) const;
    // Lets Timer1 run out now; later countdowns take its interval as before.
    bool expireTimer1();

    QWidget form;
    QButtonGroup group;
    trovix::CourierChoice choice{&group};
    trovix::TrackingWidgets widgets;
};
