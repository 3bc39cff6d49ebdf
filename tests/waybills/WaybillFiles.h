#pragma once

#include <QList>
#include <QPair>
#include <QString>

// Courier, number.
using WaybillRow = QPair<QString, QString>;

// Writes rows into a waybill file through a connection of its own, in one transaction.
bool appendRows(const QString& databasePath, const QList<WaybillRow>& rows);

// The rows as the file holds them, in store order, read through a fresh connection.
QList<WaybillRow> rowsInFile(const QString& databasePath);

// Raises the file format's write version above what SQLite writes, which makes every
// SQLite connection treat the file as read-only. Unlike file permissions this also
// holds for root, who runs the tests here.
bool makeReadOnly(const QString& databasePath);

// Another connection holding an exclusive lock on the file for its lifetime, as a
// second program writing to it would.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString& databasePath);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    bool isHeld() const { return held_; }
    void release();

private:
    QString connectionName_;
    bool held_ = false;
};
