#pragma once

#include "RecordingPrompter.h"
#include "TempProgramFolder.h"
#include "TrackingWidgetSet.h"

#include "engine/ChromiumBrowser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/TrackingSession.h"

// The tracking part of Form1 with the real browser, shown, on a throw-away program
// folder. Only for tests that start Chromium.
struct RealTracking : TrackingWidgetSet {
    RealTracking()
        : browser(QSize(433, 425), trovix::aggregatorHosts()),
          session(widgets, browser, prompter, folder.programFolder())
    {
        form.resize(800, 600);
        form.show();
    }

    trovix::ChromiumBrowser browser;
    RecordingPrompter prompter;
    TempProgramFolder folder;
    trovix::TrackingSession session;
};
