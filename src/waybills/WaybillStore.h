#pragma once

#include <QSqlQueryModel>
#include <QString>

#include <memory>

class QSqlError;

namespace trovix {

// The saved waybills in yundan.mdb: one connection kept for the store's life and the
// list of all rows that the grid shows, with its current row. Every operation reports
// failure by its result and leaves the reason in lastError(); nothing is shown here.
class WaybillStore {
public:
    WaybillStore();
    ~WaybillStore();
    WaybillStore(const WaybillStore&) = delete;
    WaybillStore& operator=(const WaybillStore&) = delete;

    // Opens an existing database file and its list. A missing file, or one that is
    // not a waybill database, is an error; the file is never created.
    bool open(const QString& databasePath);

    // On failure the list it had stays open, rows and current row alike.
    bool reopenList();
    bool isListOpen() const { return listOpen_; }
    // Exact: every row of the list is fetched when it opens.
    int rowCount() const;

    // -1 when the list has no rows.
    int currentRow() const { return currentRow_; }
    void setCurrentRow(int row);

    // Removes exactly the current row from the file, also when a twin row exists.
    bool deleteCurrentRow();
    // Rows holding this number, ASCII letters compared without regard to case; -1 on error.
    int countByNumber(const QString& number);
    bool insert(const QString& courier, const QString& number);

    // The current row's courier and number; empty without a current row.
    QString currentCourier() const;
    QString currentNumber() const;

    QString lastError() const { return lastError_; }

    // Columns: those of the table, then the row's rowid, which no one is meant to see.
    // A re-open that succeeds gives a new model; the old one lives until the next.
    QAbstractItemModel* listModel() { return list_.get(); }
    int rowIdColumn() const;

    QString connectionName() const { return connectionName_; }

private:
    QString currentText(const QString& column) const;
    bool openList(const QString& statement);
    void closeList();
    bool fail(const QSqlError& error);
    bool fail(const QString& message);

    QString connectionName_;
    std::unique_ptr<QSqlQueryModel> list_;
    std::unique_ptr<QSqlQueryModel> previousList_;
    bool listOpen_ = false;
    int currentRow_ = -1;
    QString lastError_;
};

} // namespace trovix
