#include "common/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace trovix {

QString programFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString programFile(const QString& folder, const QString& windowsRelativeName)
{
    QString relative = windowsRelativeName;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!relative.startsWith(QLatin1Char('/')))
        relative.prepend(QLatin1Char('/'));
    return QDir::cleanPath(folder + relative);
}

} // namespace trovix
