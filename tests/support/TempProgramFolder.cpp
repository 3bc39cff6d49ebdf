#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempProgramFolder::TempProgramFolder() = default;

QString TempProgramFolder::path() const
{
    return dir_.path();
}

QString TempProgramFolder::file(const QString& name) const
{
    return dir_.filePath(name);
}

trovix::ProgramFolder TempProgramFolder::builtProgramFolder()
{
    return trovix::ProgramFolder(qEnvironmentVariable("TROVIX_PROGRAM_DIR"));
}

bool TempProgramFolder::copyFromBuild(const QString& relativeName) const
{
    const QString target = file(relativeName);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(QDir(builtProgramFolder().path()).filePath(relativeName), target) &&
           QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
}
