#pragma once

#include "common/ProgramFolder.h"

#include <QString>
#include <QTemporaryDir>

// A throw-away program folder; copy() brings a file of the built program folder
// (TROVIX_PROGRAM_DIR, set by CTest) into it.
class TempProgramFolder {
public:
    TempProgramFolder();
    bool isValid() const { return dir_.isValid(); }
    QString path() const;
    trovix::ProgramFolder programFolder() const { return trovix::ProgramFolder(path()); }
    QString file(const QString& name) const;
    bool copyFromBuild(const QString& relativeName) const;

    static trovix::ProgramFolder builtProgramFolder();

private:
    QTemporaryDir dir_;
};
