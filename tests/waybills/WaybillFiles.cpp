#include "WaybillFiles.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QString nextConnectionName()
{
    static int opened = 0;
    return QStringLiteral("waybill-test-file-%1").arg(++opened);
}

// Runs `work` on its own connection to the file and closes it again.
template <typename Work> bool withConnection(const QString& databasePath, Work work)
{
    const QString name = nextConnectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(databasePath);
        ok = db.open() && work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

bool appendRows(const QString& databasePath, const QList<WaybillRow>& rows)
{
    return withConnection(databasePath, [&](QSqlDatabase& db) {
        if (!db.transaction())
            return false;
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert into 运单 values(?,?)"));
        for (const WaybillRow& row : rows) {
            query.addBindValue(row.first);
            query.addBindValue(row.second);
            if (!query.exec()) {
                db.rollback();
                return false;
            }
        }
        return db.commit();
    });
}

QList<WaybillRow> rowsInFile(const QString& databasePath)
{
    QList<WaybillRow> rows;
    withConnection(databasePath, [&](QSqlDatabase& db) {
        QSqlQuery query(QStringLiteral("select 快递公司, 运单号 from 运单 order by rowid"), db);
        while (query.next())
            rows.append({query.value(0).toString(), query.value(1).toString()});
        return true;
    });
    return rows;
}

bool makeReadOnly(const QString& databasePath)
{
    QFile file(databasePath);
    constexpr qint64 WriteVersionOffset = 18;
    return file.open(QIODevice::ReadWrite) && file.seek(WriteVersionOffset) && file.putChar(3);
}

ExclusiveLock::ExclusiveLock(const QString& databasePath) : connectionName_(nextConnectionName())
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db.setDatabaseName(databasePath);
    held_ = db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE"));
}

ExclusiveLock::~ExclusiveLock()
{
    release();
    QSqlDatabase::removeDatabase(connectionName_);
}

void ExclusiveLock::release()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (held_)
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    held_ = false;
    db.close();
}
