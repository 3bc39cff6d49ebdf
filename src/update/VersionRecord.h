#pragma once

namespace trovix {

class ProgramFolder;

// Records this build's version text under Ver/appver of the folder's config.ini. A
// write that fails is silent: the updater then reads whatever the file holds.
void recordInstalledVersion(const ProgramFolder& programFolder);

} // namespace trovix
