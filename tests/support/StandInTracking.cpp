#include "StandInTracking.h"

StandInTracking::StandInTracking(const QString& programFolder)
    : session(std::make_unique<trovix::TrackingSession>(
          widgets, browser, prompter, programFolder.isNull() ? folder.path() : programFolder))
{
}
