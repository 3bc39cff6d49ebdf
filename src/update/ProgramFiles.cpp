#include "update/ProgramFiles.h"

namespace trovix::programfiles {

QString path(const QString& programFolder, const QString& name)
{
    return programFolder + QLatin1Char('/') + name;
}

} // namespace trovix::programfiles
