#pragma once

#include "FakeBrowser.h"
#include "RecordingPrompter.h"
#include "TempProgramFolder.h"
#include "TrackingWidgetSet.h"

#include "tracking/TrackingSession.h"

#include <memory>
#include <optional>

// The tracking part of Form1 on a stand-in browser and message boxes. The capture's
// scratch file goes to `programFolder`, or to a throw-away folder when none is given.
// A test may drop the session to see what outlives it.
struct StandInTracking : TrackingWidgetSet {
    explicit StandInTracking(const std::optional<trovix::ProgramFolder>& programFolder = std::nullopt);

    FakeBrowser browser;
    RecordingPrompter prompter;
    TempProgramFolder folder;
    std::unique_ptr<trovix::TrackingSession> session;
};
