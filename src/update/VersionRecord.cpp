#include "update/VersionRecord.h"

#include "common/Configuration.h"
#include "update/PrivateProfile.h"
#include "update/ProgramFiles.h"

namespace trovix {

void recordInstalledVersion(const QString& programFolder)
{
    profile::writeString(programfiles::path(programFolder, programfiles::InstalledVersionFile),
                         QStringLiteral("Ver"), QStringLiteral("appver"), config::versionText().toLatin1());
}

} // namespace trovix
