#include "update/VersionComparison.h"

#include "update/PrivateProfile.h"
#include "update/ProgramFiles.h"

namespace trovix {

QByteArray readInstalledVersion(const QString& programFolder)
{
    return profile::readString(programfiles::path(programFolder, programfiles::InstalledVersionFile),
                               QStringLiteral("Ver"), QStringLiteral("appver"));
}

QByteArray readOfferedVersion(const QString& programFolder)
{
    return profile::readString(programfiles::path(programFolder, programfiles::OfferedVersionFile),
                               QStringLiteral("Ver"), QStringLiteral("new"));
}

bool updateExists(const QByteArray& installed, const QByteArray& offered)
{
    return installed != offered;
}

} // namespace trovix
