#include "update/VersionRecord.h"

#include "common/ProgramFolder.h"
#include "update/PrivateProfile.h"
#include "update/VersionMarker.h"

namespace trovix {

namespace {

// Kept in the executable even where nothing would read it at run time.
[[gnu::used]] constexpr char VersionMarker[] = TROVIX_VERSION_MARKER(TROVIX_VERSION_TEXT);

} // namespace

void recordInstalledVersion(const ProgramFolder& programFolder)
{
    // The record and the marker are one text.
    profile::writeString(programFolder.file(programfiles::InstalledVersionFile), QStringLiteral("Ver"),
                         QStringLiteral("appver"),
                         QByteArray(VersionMarker + sizeof TROVIX_VERSION_MARKER_TAG - 1));
}

} // namespace trovix
