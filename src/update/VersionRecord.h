#pragma once

#include <QString>

namespace trovix {

// Records this build's version text under Ver/appver of the folder's config.ini. A
// write that fails is silent: the updater then reads whatever the file holds.
void recordInstalledVersion(const QString& programFolder);

} // namespace trovix
