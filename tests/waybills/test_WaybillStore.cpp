#include "TempProgramFolder.h"
#include "WaybillFiles.h"
#include "WriteFile.h"
#include "waybills/WaybillStore.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using trovix::WaybillStore;

namespace {

const QString Courier = u"快递公司"_s;
const QString Number = u"运单号"_s;

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestWaybillStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgramFolder> folder_;
    QString database_;

    bool openWith(WaybillStore& store, const QList<WaybillRow>& rows)
    {
        return appendRows(database_, rows) && store.open(database_);
    }

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<TempProgramFolder>();
        QVERIFY(folder_->copyFromBuild(u"yundan.mdb"_s));
        database_ = folder_->file(u"yundan.mdb"_s);
    }
    void cleanup() { folder_.reset(); }

    void emptyTableOpensWithNoRows()
    {
        WaybillStore store;
        QVERIFY2(store.open(database_), qPrintable(store.lastError()));
        QVERIFY(store.isListOpen());
        QCOMPARE(store.rowCount(), 0);
        QCOMPARE(store.currentRow(), -1);
        QCOMPARE(store.currentNumber(), QString());
        QCOMPARE(store.listModel()->headerData(0, Qt::Horizontal).toString(), Courier);
        QCOMPARE(store.listModel()->headerData(1, Qt::Horizontal).toString(), Number);
        QCOMPARE(store.rowIdColumn(), 2);
    }

    void insertThenCountByNumber()
    {
        WaybillStore store;
        WaybillStore second;
        QVERIFY(store.connectionName() != second.connectionName());
        QVERIFY(store.open(database_));
        QVERIFY(second.open(database_));
        QCOMPARE(store.countByNumber(u"E1"_s), 0);
        QVERIFY(store.insert(u"EMS快递"_s, u"E1"_s));
        QCOMPARE(store.countByNumber(u"E1"_s), 1);
        QCOMPARE(second.countByNumber(u"E1"_s), 1);
        QVERIFY(store.insert(u"EMS快递"_s, u"E1"_s));
        QCOMPARE(store.countByNumber(u"E1"_s), 2);
        // The list is a snapshot until it is re-opened.
        QCOMPARE(store.rowCount(), 0);
        QVERIFY(store.reopenList());
        QCOMPARE(store.rowCount(), 2);
    }

    void lookUpComparesAsciiWithoutCase_data()
    {
        QTest::addColumn<QString>("looked");
        QTest::addColumn<int>("count");
        QTest::newRow("same") << "SF123x" << 1;
        QTest::newRow("lower") << "sf123X" << 1;
        QTest::newRow("longer") << "SF123x4" << 0;
        QTest::newRow("trailing blank") << "SF123x " << 0;
        QTest::newRow("wildcard is not one") << "SF%" << 0;
        QTest::newRow("non-ASCII keeps its case") << "Ä1" << 0;
    }
    void lookUpComparesAsciiWithoutCase()
    {
        QFETCH(QString, looked);
        QFETCH(int, count);
        WaybillStore store;
        QVERIFY(openWith(store, {{u"顺丰速递"_s, u"SF123x"_s}, {u"顺丰速递"_s, u"ä1"_s}}));
        QCOMPARE(store.countByNumber(looked), count);
        // A look-up holds no lock on the file afterwards.
        ExclusiveLock other(database_);
        QVERIFY(other.isHeld());
    }

    void staleRowDeletesNoNewerRow()
    {
        WaybillStore store;
        QVERIFY(openWith(store, {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}}));
        // Another program removes the last row; the next insert reuses its rowid.
        QSqlQuery other(QSqlDatabase::database(store.connectionName()));
        QVERIFY(other.exec(u"delete from 运单 where 运单号='3'"_s));
        QVERIFY(appendRows(database_, {{u"X"_s, u"9"_s}}));
        store.setCurrentRow(2);
        QCOMPARE(store.currentNumber(), u"3"_s);
        QVERIFY(store.deleteCurrentRow());
        QCOMPARE(rowsInFile(database_),
                 QList<WaybillRow>({{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"X"_s, u"9"_s}}));
    }

    // Of two rows alike only the current one goes, and the list re-opened starts at its first row.
    void deleteOneOfTwinsAndReopen()
    {
        WaybillStore store;
        QVERIFY(openWith(
            store, {{u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}}));
        store.setCurrentRow(2);
        QCOMPARE(store.currentNumber(), u"T"_s);
        QVERIFY2(store.deleteCurrentRow(), qPrintable(store.lastError()));
        const QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}};
        QCOMPARE(rowsInFile(database_), expected);
        QVERIFY(store.reopenList());
        QCOMPARE(store.rowCount(), 3);
        QCOMPARE(store.currentRow(), 0);
        QCOMPARE(store.currentCourier(), u"A"_s);
        QCOMPARE(store.currentNumber(), u"1"_s);
    }

    void awkwardTextRoundTrips_data()
    {
        QTest::addColumn<QString>("courier");
        QTest::addColumn<QString>("number");
        QTest::newRow("single quote") << u"O'Brien快递"_s << u"SF'1'); drop table 运单; --"_s;
        QTest::newRow("backslash") << u"C:\\快递"_s << u"A\\B\\"_s;
        QTest::newRow("percent and underscore") << u"100%"_s << u"5%_x"_s;
        QTest::newRow("emoji") << u"📦快递"_s << u"😀1😀"_s;
        QTest::newRow("500 characters") << QString(500, QChar(u'快')) << QString(500, QChar(u'9'));
        QTest::newRow("inner blanks and tab") << u" E M S "_s << u"1 2\t3"_s;
        QTest::newRow("null courier") << QString() << u"N1"_s;
        QTest::newRow("empty courier") << u""_s << u"N1"_s;
    }
    void awkwardTextRoundTrips()
    {
        QFETCH(QString, courier);
        QFETCH(QString, number);
        WaybillStore store;
        QVERIFY(openWith(store, {{u"A"_s, u"other"_s}}));
        QVERIFY2(store.insert(courier, number), qPrintable(store.lastError()));
        // Stored as text of its characters, an empty courier too.
        QSqlQuery query(QSqlDatabase::database(store.connectionName()));
        QVERIFY(
            query.exec(u"select typeof(快递公司), length(快递公司) from 运单 order by rowid desc limit 1"_s));
        QVERIFY(query.next());
        QCOMPARE(query.value(0).toString(), u"text"_s);
        QCOMPARE(query.value(1).toInt(), courier.toUcs4().size());
        QCOMPARE(store.countByNumber(number), 1);
        QVERIFY(store.reopenList());
        QCOMPARE(store.rowCount(), 2);
        store.setCurrentRow(1);
        QCOMPARE(store.currentCourier(), courier);
        QCOMPARE(store.currentNumber(), number);
        QCOMPARE(rowsInFile(database_).last(), WaybillRow(courier, number));
    }

    void badFilesFailAtOpenAndCreateNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::newRow("missing") << "missing.mdb" << QByteArray();
        QTest::newRow("text file") << "notes.mdb" << QByteArray("Saved waybills:\nSF123\n").repeated(20);
        QTest::newRow("empty file") << "empty.mdb" << QByteArray("");
        QTest::newRow("folder") << "folder.mdb" << QByteArray("<folder>");
    }
    void badFilesFailAtOpenAndCreateNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = folder_->file(name);
        if (content == "<folder>") {
            QVERIFY(QDir().mkdir(path));
        } else if (!content.isNull()) {
            QVERIFY(writeFile(path, content));
        }
        const QStringList before = entriesOf(folder_->path());

        WaybillStore store;
        QVERIFY(!store.open(path));
        QVERIFY(!store.lastError().isEmpty());
        QVERIFY(!store.isListOpen());
        QCOMPARE(store.rowCount(), 0);
        QCOMPARE(store.countByNumber(u"1"_s), -1);
        QVERIFY(!store.insert(u"A"_s, u"1"_s));

        QCOMPARE(entriesOf(folder_->path()), before);
        if (!content.isNull() && content != "<folder>") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), content);
        }
    }

    void folderNameWithUriCharacters()
    {
        const QString odd = folder_->file(u"运单 #1?%41&mode=ro"_s);
        QVERIFY(QDir().mkdir(odd));
        const QString path = odd + u"/yundan.mdb"_s;
        QVERIFY(QFile::copy(database_, path));
        const QStringList before = entriesOf(folder_->path());

        WaybillStore store;
        QVERIFY2(store.open(path), qPrintable(store.lastError()));
        QVERIFY2(store.insert(u"A"_s, u"1"_s), qPrintable(store.lastError()));
        QCOMPARE(rowsInFile(path), QList<WaybillRow>({{u"A"_s, u"1"_s}}));
        QCOMPARE(entriesOf(folder_->path()), before);
    }

    void failedWritesChangeNothing_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("deleteFails");
        QTest::newRow("read-only file") << "read-only" << true;
        QTest::newRow("locked by another program") << "locked" << true;
        // Deleting needs no new pages, so only adding meets the full disk.
        QTest::newRow("disk full") << "full" << false;
        QTest::newRow("deleted while running") << "deleted" << true;
        QTest::newRow("replaced while running") << "replaced" << true;
    }
    void failedWritesChangeNothing()
    {
        QFETCH(QString, failure);
        QFETCH(bool, deleteFails);
        const QList<WaybillRow> rows{{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}};
        QVERIFY(appendRows(database_, rows));
        if (failure == u"read-only"_s)
            QVERIFY(makeReadOnly(database_));
        const QString aside = folder_->file(u"aside.mdb"_s);
        QVERIFY(QFile::copy(database_, aside));

        WaybillStore store;
        QVERIFY2(store.open(database_), qPrintable(store.lastError()));
        std::unique_ptr<ExclusiveLock> lock;
        if (failure == u"locked"_s) {
            lock = std::make_unique<ExclusiveLock>(database_);
            QVERIFY(lock->isHeld());
        } else if (failure == u"full"_s) {
            QSqlQuery query(QSqlDatabase::database(store.connectionName()));
            QVERIFY(query.exec(u"PRAGMA max_page_count = 3"_s));
        } else if (failure == u"deleted"_s) {
            QVERIFY(QFile::remove(database_));
        } else if (failure == u"replaced"_s) {
            QVERIFY(QFile::rename(database_, folder_->file(u"old.mdb"_s)));
            QVERIFY(QFile::copy(aside, database_));
        }

        // Large enough to need pages the full disk does not have.
        QVERIFY(!store.insert(u"C"_s, QString(20000, QChar(u'3'))));
        QVERIFY(!store.lastError().isEmpty());
        if (deleteFails) {
            store.setCurrentRow(1);
            QVERIFY(!store.deleteCurrentRow());
            QVERIFY(!store.lastError().isEmpty());
        }

        if (lock)
            lock->release();
        if (failure == u"deleted"_s) {
            QVERIFY(!QFile::exists(database_));
            QCOMPARE(store.rowCount(), 2);
        } else {
            QCOMPARE(rowsInFile(database_), rows);
            QVERIFY2(store.reopenList(), qPrintable(store.lastError()));
            QCOMPARE(store.rowCount(), 2);
        }
    }

    void failedReopenKeepsTheListItHad()
    {
        WaybillStore store;
        QVERIFY(openWith(store, {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}}));
        store.setCurrentRow(1);
        const QAbstractItemModel* shown = store.listModel();
        QVERIFY(appendRows(database_, {{u"C"_s, u"3"_s}}));
        {
            ExclusiveLock other(database_);
            QVERIFY(other.isHeld());
            QVERIFY(!store.reopenList());
        }
        QVERIFY(store.lastError().contains(u"locked"_s));
        QVERIFY(store.isListOpen());
        QCOMPARE(store.listModel(), shown);
        QCOMPARE(store.rowCount(), 2);
        QCOMPARE(store.currentRow(), 1);
        QCOMPARE(store.currentNumber(), u"2"_s);

        QVERIFY(store.reopenList());
        QCOMPARE(store.rowCount(), 3);
        QCOMPARE(store.currentRow(), 0);
        // The list read in full holds no lock on the file.
        ExclusiveLock after(database_);
        QVERIFY(after.isHeld());
    }
};

QTEST_GUILESS_MAIN(TestWaybillStore)
#include "test_WaybillStore.moc"
