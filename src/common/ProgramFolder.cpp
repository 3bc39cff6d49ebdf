#include "common/ProgramFolder.h"

#include <QCoreApplication>

#include <utility>

namespace trovix {

ProgramFolder::ProgramFolder(QString path) : path_(std::move(path)) {}

ProgramFolder ProgramFolder::ofRunningExecutable()
{
    QString folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return ProgramFolder(folder);
}

QString ProgramFolder::forFileSystem(const QString& windowsPath)
{
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

QString ProgramFolder::relative(const QString& name)
{
    return forFileSystem(name).mid(1);
}

} // namespace trovix
