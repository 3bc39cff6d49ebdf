#include "update/VersionRecord.h"

#include "common/Configuration.h"
#include "common/ProgramFolder.h"
#include "update/PrivateProfile.h"

namespace trovix {

void recordInstalledVersion(const QString& programFolder)
{
    profile::writeString(ProgramFolder(programFolder).file(programfiles::InstalledVersionFile),
                         QStringLiteral("Ver"), QStringLiteral("appver"), config::versionText().toLatin1());
}

} // namespace trovix
