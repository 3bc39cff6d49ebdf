#include "StandInTracking.h"

StandInTracking::StandInTracking(const std::optional<trovix::ProgramFolder>& programFolder)
    : session(std::make_unique<trovix::TrackingSession>(widgets, browser, prompter,
                                                        programFolder.value_or(folder.programFolder())))
{
}
