#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away program folder; copy() brings a file of the built program folder
// (TROVIX_PROGRAM_DIR, set by CTest) into it.
class TempProgramFolder {
public:
    TempProgramFolder();
    bool isValid() const { return dir_.isValid(); }
    QString path() const;
    QString file(const QString& name) const;
    bool copyFromBuild(const QString& relativeName) const;

    static QString builtProgramFolder();

private:
    QTemporaryDir dir_;
};
