#pragma once

#include "RecordingPrompter.h"
#include "TempProgramFolder.h"
#include "TrackingWidgetSet.h"

#include "engine/WebEngineBrowser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/TrackingSession.h"

#include <QWebEngineView>

// The tracking part of Form1 with the real browser, shown, on a throw-away program
// folder. Only for tests that start Chromium.
struct RealTracking : TrackingWidgetSet {
    RealTracking()
        : browser(&form, trovix::aggregatorHosts()),
          session(widgets, browser, prompter, folder.programFolder())
    {
        browser.view()->setGeometry(0, 0, 640, 480);
        form.resize(800, 600);
        form.show();
    }

    trovix::WebEngineBrowser browser;
    RecordingPrompter prompter;
    TempProgramFolder folder;
    trovix::TrackingSession session;
};
