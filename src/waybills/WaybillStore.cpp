#include "waybills/WaybillStore.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace trovix {

namespace {

// Another program holding the file gets this long to let go before an operation
// gives up, so a locked file never freezes the window for long.
constexpr int BusyTimeoutMs = 500;

// The rowid rides along as the last column: the table has no key of its own, and
// deleting "the current row" must never hit its identical twin.
const QString StartUpListStatement = QStringLiteral("Select *, rowid from 运单 ");
const QString ReopenListStatement = QStringLiteral("select *, rowid from 运单");

const QString CourierColumn = QStringLiteral("快递公司");
const QString NumberColumn = QStringLiteral("运单号");

// The columns are NOT NULL, and Qt binds a null QString as SQL NULL.
QString nonNull(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString nextConnectionName()
{
    static int opened = 0;
    return QStringLiteral("trovix-waybills-%1").arg(++opened);
}

} // namespace

WaybillStore::WaybillStore()
    : connectionName_(nextConnectionName()), list_(std::make_unique<QSqlQueryModel>())
{
}

WaybillStore::~WaybillStore()
{
    list_->clear();
    previousList_.reset();
    if (QSqlDatabase::contains(connectionName_)) {
        QSqlDatabase::database(connectionName_, false).close();
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

bool WaybillStore::open(const QString& databasePath)
{
    closeList();
    const QString absolutePath = QFileInfo(databasePath).absoluteFilePath();
    {
        QSqlDatabase db = QSqlDatabase::contains(connectionName_)
                              ? QSqlDatabase::database(connectionName_, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.close();
        // A URI, so that mode=rw refuses to create a missing file; the path is
        // percent-encoded because '?', '#' and '%' are legal in folder names.
        db.setDatabaseName(QUrl::fromLocalFile(absolutePath).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
        if (!db.open())
            return fail(db.lastError());
    }
    // SQLite reads nothing until the first statement: the list is what tells a
    // waybill database from any other file.
    if (!openList(StartUpListStatement)) {
        QSqlDatabase::database(connectionName_, false).close();
        return false;
    }
    return true;
}

bool WaybillStore::reopenList()
{
    return openList(ReopenListStatement);
}

// The new list is read in full before it replaces the old one, so a locked or
// vanished file never leaves the grid showing less than it showed.
bool WaybillStore::openList(const QString& statement)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (!db.isOpen())
        return fail(QStringLiteral("The waybill database is not open."));
    QSqlQuery query(db);
    if (!query.exec(statement))
        return fail(query.lastError());
    auto fresh = std::make_unique<QSqlQueryModel>();
    fresh->setQuery(std::move(query));
    while (fresh->canFetchMore())
        fresh->fetchMore();
    if (fresh->lastError().isValid() || fresh->query().lastError().isValid())
        return fail(fresh->lastError().isValid() ? fresh->lastError() : fresh->query().lastError());
    // The grid may still show the old model until it is bound to the new one.
    previousList_ = std::move(list_);
    list_ = std::move(fresh);
    listOpen_ = true;
    currentRow_ = list_->rowCount() > 0 ? 0 : -1;
    return true;
}

void WaybillStore::closeList()
{
    list_->clear();
    listOpen_ = false;
    currentRow_ = -1;
}

int WaybillStore::rowCount() const
{
    return listOpen_ ? list_->rowCount() : 0;
}

void WaybillStore::setCurrentRow(int row)
{
    if (row >= 0 && row < rowCount())
        currentRow_ = row;
}

int WaybillStore::rowIdColumn() const
{
    return list_->columnCount() - 1;
}

QString WaybillStore::currentCourier() const
{
    return currentText(CourierColumn);
}

QString WaybillStore::currentNumber() const
{
    return currentText(NumberColumn);
}

QString WaybillStore::currentText(const QString& column) const
{
    if (currentRow_ < 0)
        return QString();
    const int index = list_->record().indexOf(column);
    if (index < 0 || index == rowIdColumn())
        return QString();
    return list_->data(list_->index(currentRow_, index)).toString();
}

bool WaybillStore::deleteCurrentRow()
{
    if (!listOpen_ || currentRow_ < 0)
        return fail(QStringLiteral("There is no current waybill to delete."));
    const QSqlRecord row = list_->record(currentRow_);
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    // The texts are checked along with the rowid: once another program deletes the
    // last row, its rowid goes to the next row inserted, which this list has never shown.
    query.prepare(
        QStringLiteral("delete from 运单 where rowid=? and 快递公司 is ? and 运单号 is ? collate binary"));
    query.addBindValue(row.value(rowIdColumn()));
    query.addBindValue(row.value(CourierColumn));
    query.addBindValue(row.value(NumberColumn));
    if (!query.exec())
        return fail(query.lastError());
    return true;
}

int WaybillStore::countByNumber(const QString& number)
{
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select * from 运单 where 运单号=?"));
    query.addBindValue(nonNull(number));
    if (!query.exec()) {
        fail(query.lastError());
        return -1;
    }
    int count = 0;
    while (query.next())
        ++count;
    if (query.lastError().isValid()) {
        fail(query.lastError());
        return -1;
    }
    return count;
}

bool WaybillStore::insert(const QString& courier, const QString& number)
{
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.prepare(QStringLiteral("insert into 运单 values(?,?)"));
    query.addBindValue(nonNull(courier));
    query.addBindValue(nonNull(number));
    if (!query.exec())
        return fail(query.lastError());
    return true;
}

// The engine's own words ("database is locked"); the driver's add nothing for the user.
bool WaybillStore::fail(const QSqlError& error)
{
    return fail(error.databaseText().isEmpty() ? error.text() : error.databaseText());
}

bool WaybillStore::fail(const QString& message)
{
    lastError_ = message;
    return false;
}

} // namespace trovix
