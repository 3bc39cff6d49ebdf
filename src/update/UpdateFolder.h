#pragma once

#include "common/ProgramFolder.h"

#include <QByteArray>
#include <QString>

class QFile;

namespace trovix {

// The program folder as the updater holds and changes it. One updater at a time
// holds it (a lock the system drops when the holder ends, however it ends). Every
// change is one rename, exchange or removal, followed by a sync of the folder, so a
// crash or a power loss finds the folder either before or after the change.
// Operations take the names of the folder's files (programfiles) and return the
// system's error text, or an empty text on success.
class UpdateFolder {
public:
    explicit UpdateFolder(const ProgramFolder& programFolder);
    ~UpdateFolder();
    UpdateFolder(const UpdateFolder&) = delete;
    UpdateFolder& operator=(const UpdateFolder&) = delete;

    // False when another updater holds the folder, or it cannot be opened.
    bool lock();

    QString path(const QString& name) const;
    bool holdsFile(const QString& name) const;

    // The two names trade their files in one step.
    QString exchange(const QString& first, const QString& second);
    // Fails when to is taken.
    QString moveWithoutReplacing(const QString& from, const QString& to);
    // A missing file counts as removed.
    QString remove(const QString& name);
    // Writes bytes under scratch, syncs them and moves them over name.
    QString replaceContent(const QString& name, const QString& scratch, const QByteArray& bytes);

    // Makes the content and the permissions of an open file durable.
    static QString seal(QFile& file);

private:
    void syncFolder();

    ProgramFolder programFolder_;
    int folder_ = -1;
};

} // namespace trovix
