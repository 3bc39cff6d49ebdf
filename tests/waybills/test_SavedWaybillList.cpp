#include "RecordingPrompter.h"
#include "SavedWaybillWindow.h"
#include "TempProgramFolder.h"
#include "WaybillFiles.h"
#include "common/FontFaces.h"
#include "waybills/SavedWaybillList.h"
#include "waybills/WaybillStore.h"

#include <QButtonGroup>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using trovix::MessageBoxRequest;
using trovix::SavedWaybillList;
using trovix::WaybillStore;

namespace {

enum class Failure { Locked, ReadOnly, Vanished };

const MessageBoxRequest DeleteQuestion{u"是否删除该运单？"_s, u"提示"_s, QMessageBox::Yes | QMessageBox::No,
                                       QMessageBox::NoIcon};

// Two rows alike between two others.
const QList<WaybillRow> TwinRows{
    {u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}};

} // namespace

Q_DECLARE_METATYPE(Failure)

class TestSavedWaybillList : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempProgramFolder> folder_;
    QString database_;
    std::unique_ptr<WaybillStore> store_;
    std::unique_ptr<SavedWaybillWindow> window_;
    std::unique_ptr<RecordingPrompter> prompter_;
    std::unique_ptr<SavedWaybillList> list_;

    // Opens the store on the file as it is and binds the grid, as start-up does.
    bool start()
    {
        store_ = std::make_unique<WaybillStore>();
        if (!store_->open(database_))
            return false;
        list_ = std::make_unique<SavedWaybillList>(window_->widgets(), *store_, *prompter_);
        list_->bindGrid();
        window_->widget.show();
        return QTest::qWaitForWindowExposed(&window_->widget);
    }

    QList<WaybillRow> rowsInGrid() const
    {
        QList<WaybillRow> rows;
        for (int row = 0; row < window_->grid->model()->rowCount(); ++row)
            rows.append({window_->cell(row, 0), window_->cell(row, 1)});
        return rows;
    }

private Q_SLOTS:
    void init()
    {
        folder_ = std::make_unique<TempProgramFolder>();
        QVERIFY(folder_->copyFromBuild(u"yundan.mdb"_s));
        database_ = folder_->file(u"yundan.mdb"_s);
        window_ = std::make_unique<SavedWaybillWindow>();
        prompter_ = std::make_unique<RecordingPrompter>();
    }
    void cleanup()
    {
        list_.reset();
        window_.reset();
        store_.reset();
        prompter_.reset();
        folder_.reset();
    }

    void gridShowsStoreReadOnlyWithFirstRowCurrent()
    {
        QVERIFY(appendRows(database_, {{u"EMS快递"_s, u"E1"_s}, {u""_s, u"N2"_s}, {u"顺丰速递"_s, u"S3"_s}}));
        QVERIFY(start());
        QTableView* grid = window_->grid;
        QCOMPARE(rowsInGrid(),
                 QList<WaybillRow>({{u"EMS快递"_s, u"E1"_s}, {u""_s, u"N2"_s}, {u"顺丰速递"_s, u"S3"_s}}));
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), u"快递公司"_s);
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), u"运单号"_s);
        QVERIFY(!grid->isColumnHidden(0));
        QVERIFY(!grid->isColumnHidden(1));
        QVERIFY(grid->isColumnHidden(2));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->font().families(), trovix::fonts::windowsFont(u"宋体"_s, 9).families());
        QCOMPARE(grid->font().pointSizeF(), 9.0);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(prompter_->asked.isEmpty());
    }

    void add_data()
    {
        QTest::addColumn<QString>("courier");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message"); // empty: none, and the number is stored
        QTest::newRow("empty number") << u"EMS快递"_s << QString() << u"运单号不能为空！"_s;
        QTest::newRow("stored number") << u"EMS快递"_s << u"SF1"_s << u"运单号已存在！"_s;
        QTest::newRow("stored number in other case") << u"EMS快递"_s << u"sf1"_s << u"运单号已存在！"_s;
        QTest::newRow("new number") << u"顺丰速递"_s << u"SF2"_s << QString();
        QTest::newRow("new number, no courier") << QString() << u"N9"_s << QString();
    }
    void add()
    {
        QFETCH(QString, courier);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {u"顺丰速递"_s, u"SF1"_s}}));
        QVERIFY(start());
        window_->clickRow(1);
        window_->label6->setText(courier);
        window_->label4->setText(number);
        // Written behind the grid's back: only a refresh shows it.
        QVERIFY(appendRows(database_, {{u"B"_s, u"2"_s}}));

        window_->command6->click();

        QCOMPARE(prompter_->asked, (message.isEmpty() ? QList<MessageBoxRequest>()
                                                      : QList<MessageBoxRequest>{{message, QString()}}));
        QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"顺丰速递"_s, u"SF1"_s}, {u"B"_s, u"2"_s}};
        if (message.isEmpty())
            expected.append({courier, number});
        QCOMPARE(rowsInFile(database_), expected);
        QCOMPARE(rowsInGrid(), expected);
        QVERIFY(window_->grid->isColumnHidden(2));
        QCOMPARE(window_->grid->currentIndex().row(), 0);
        QCOMPARE(window_->label4->text(), number);
        QCOMPARE(window_->label6->text(), courier);
    }

    // However the row became current, it is drawn selected and is the one Delete removes,
    // a row with a twin too, once the user answers Yes.
    void deleteRemovesTheRowDrawnCurrent_data()
    {
        QTest::addColumn<QStringList>("gestures");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("yes");
        const auto row = [](const char* name, const QString& gestures, int current, bool yes = true) {
            QTest::newRow(name) << gestures.split(u", "_s) << current << yes;
        };
        row("clicked, answered No", u"click 2"_s, 2, false);
        row("clicked", u"click 2"_s, 2);
        row("moved to with the arrow key", u"down, down"_s, 2);
        row("ctrl+click on the current row", u"click 2, ctrl+click 2"_s, 2);
        row("ctrl+click on another row", u"click 2, ctrl+click 3"_s, 3);
        row("click below the last row", u"click 2, click below"_s, 2);
        row("ctrl+click below the last row", u"click 2, ctrl+click below"_s, 2);
        row("ctrl+down arrow", u"click 2, ctrl+down"_s, 3);
        row("ctrl+space", u"click 2, ctrl+space"_s, 2);
    }
    void deleteRemovesTheRowDrawnCurrent()
    {
        QFETCH(QStringList, gestures);
        QFETCH(int, current);
        QFETCH(bool, yes);
        const QList<WaybillRow> rows = TwinRows + QList<WaybillRow>{{u"C"_s, u"3"_s}};
        QVERIFY(appendRows(database_, rows));
        QVERIFY(start());
        window_->grid->setFocus();
        for (const QString& gesture : gestures) {
            const Qt::KeyboardModifiers modifiers =
                gesture.startsWith(u"ctrl"_s) ? Qt::ControlModifier : Qt::NoModifier;
            if (gesture.endsWith(u"below"_s)) {
                const QRect last =
                    window_->grid->visualRect(window_->grid->model()->index(rows.size() - 1, 1));
                const QPoint below(last.center().x(), last.bottom() + 3 * last.height());
                QVERIFY(window_->grid->viewport()->rect().contains(below));
                QTest::mouseClick(window_->grid->viewport(), Qt::LeftButton, modifiers, below);
            } else if (gesture.endsWith(u"down"_s)) {
                QTest::keyClick(window_->grid, Qt::Key_Down, modifiers);
            } else if (gesture.endsWith(u"space"_s)) {
                QTest::keyClick(window_->grid, Qt::Key_Space, modifiers);
            } else {
                const int clicked = gesture.right(1).toInt();
                window_->clickRow(clicked, modifiers);
                QCOMPARE(window_->grid->currentIndex().row(), clicked);
            }
            QCOMPARE(window_->selectedRows(), QList<int>{window_->grid->currentIndex().row()});
        }
        QCOMPARE(window_->grid->currentIndex().row(), current);
        prompter_->answers = {yes ? QMessageBox::Yes : QMessageBox::No};

        window_->command1->click();

        QCOMPARE(prompter_->asked, QList<MessageBoxRequest>{DeleteQuestion});
        QList<WaybillRow> expected = rows;
        if (yes)
            expected.removeAt(current);
        QCOMPARE(rowsInFile(database_), expected);
        QCOMPARE(rowsInGrid(), expected);
        QCOMPARE(window_->grid->currentIndex().row(), yes ? 0 : current);
    }

    void pickRow_data()
    {
        QTest::addColumn<QString>("courier");
        QTest::addColumn<int>("option"); // 1..15, 0: none
        QTest::newRow("empty courier") << "" << 0;
        QTest::newRow("unknown courier") << "某某快递" << 0;
        QTest::newRow("name with a trailing blank") << "EMS快递 " << 0;
        QTest::newRow("name in other case") << "ems快递" << 0;
        QTest::newRow("first courier") << "EMS快递" << 1;
        QTest::newRow("twelfth courier") << "德邦物流" << 12;
        QTest::newRow("last courier") << "中铁快运" << 15;
    }
    void pickRow()
    {
        QFETCH(QString, courier);
        QFETCH(int, option);
        QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {courier, u"P'1 %"_s}}));
        QVERIFY(start());

        window_->clickRow(1);

        QCOMPARE(window_->label6->text(), courier);
        QCOMPARE(window_->label4->text(), u"P'1 %"_s);
        QCOMPARE(window_->checkedOption(), option == 0 ? nullptr : window_->group.button(option));
        QCOMPARE(window_->loadedPages, option == 0 ? QStringList() : QStringList{courier});
        QVERIFY(window_->text1->text().isEmpty());
        QVERIFY(prompter_->asked.isEmpty());
    }

    void typingAfterAPickMakesTheTypedNumberCurrent()
    {
        QVERIFY(appendRows(database_, {{u"顺丰速递"_s, u"SF1"_s}}));
        QVERIFY(start());
        window_->clickRow(0);
        window_->command6->click();
        const QList<MessageBoxRequest> stored{{u"运单号已存在！"_s, QString()}};
        QCOMPARE(prompter_->asked, stored);

        QTest::keyClicks(window_->text1, u" SF2 "_s);
        QCOMPARE(window_->label4->text(), u"SF2"_s);
        window_->command6->click();

        QCOMPARE(prompter_->asked, stored);
        QCOMPARE(rowsInFile(database_),
                 QList<WaybillRow>({{u"顺丰速递"_s, u"SF1"_s}, {u"顺丰速递"_s, u"SF2"_s}}));
    }

    // A failed write once emptied the grid, and a failed re-read left Delete to re-open
    // the list and remove its first row, which the user had never seen selected.
    void failedOperationKeepsTheRowsShown_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("picked");  // -1: none, the first row stays current
        QTest::addColumn<int>("current"); // afterwards
        // Nothing can be read from a locked file, so the grid stays as it was; a
        // read-only or vanished file is read again, with the first row current.
        QTest::newRow("add, locked, no row picked") << Failure::Locked << u"add"_s << -1 << 0;
        QTest::newRow("add, locked") << Failure::Locked << u"add"_s << 2 << 2;
        QTest::newRow("delete, locked") << Failure::Locked << u"delete"_s << 2 << 2;
        QTest::newRow("refresh, locked") << Failure::Locked << u"refresh"_s << 1 << 1;
        QTest::newRow("add, read-only") << Failure::ReadOnly << u"add"_s << 2 << 0;
        QTest::newRow("delete, read-only") << Failure::ReadOnly << u"delete"_s << 2 << 0;
        QTest::newRow("add, vanished") << Failure::Vanished << u"add"_s << 2 << 0;
        QTest::newRow("delete, vanished") << Failure::Vanished << u"delete"_s << 2 << 0;
    }
    void failedOperationKeepsTheRowsShown()
    {
        QFETCH(Failure, failure);
        QFETCH(QString, operation);
        QFETCH(int, picked);
        QFETCH(int, current);
        QVERIFY(appendRows(database_, TwinRows));
        if (failure == Failure::ReadOnly)
            QVERIFY(makeReadOnly(database_));
        QVERIFY(start());
        if (picked >= 0)
            window_->clickRow(picked);
        window_->label4->setText(u"NEW"_s);
        std::unique_ptr<ExclusiveLock> lock;
        if (failure == Failure::Locked) {
            lock = std::make_unique<ExclusiveLock>(database_);
            QVERIFY(lock->isHeld());
        } else if (failure == Failure::Vanished) {
            QVERIFY(QFile::remove(database_));
        }
        prompter_->answers = {QMessageBox::Yes};

        const QMap<QString, QPushButton*> buttons{{u"add"_s, window_->command6},
                                                  {u"delete"_s, window_->command1},
                                                  {u"refresh"_s, window_->command8}};
        buttons.value(operation)->click();

        QList<MessageBoxRequest> expected{
            {store_->lastError(), QString(), QMessageBox::Ok, QMessageBox::Warning}};
        if (operation == u"delete"_s)
            expected.prepend(DeleteQuestion);
        QCOMPARE(prompter_->asked, expected);
        QVERIFY(!store_->lastError().isEmpty());
        if (lock)
            QVERIFY2(store_->lastError().contains(u"locked"_s), qPrintable(store_->lastError()));
        QCOMPARE(rowsInGrid(), TwinRows);
        QCOMPARE(window_->grid->currentIndex().row(), current);
        QCOMPARE(window_->selectedRows(), QList<int>{current});
        if (failure == Failure::Vanished)
            return;
        if (lock)
            lock->release();
        QCOMPARE(rowsInFile(database_), TwinRows);

        // Once the file can be written again, Delete removes the row shown current.
        QList<WaybillRow> remaining = TwinRows;
        if (failure == Failure::Locked) {
            prompter_->asked.clear();
            prompter_->answers = {QMessageBox::Yes};
            window_->command1->click();
            QCOMPARE(prompter_->asked, QList<MessageBoxRequest>{DeleteQuestion});
            remaining.removeAt(current);
            QCOMPARE(rowsInFile(database_), remaining);
            QCOMPARE(rowsInGrid(), remaining);
        }
        prompter_->asked.clear();
        window_->command8->click();
        QVERIFY(prompter_->asked.isEmpty());
        QCOMPARE(rowsInGrid(), remaining);
        window_->clickRow(1);
        QCOMPARE(window_->label4->text(), remaining.at(1).second);
        QCOMPARE(window_->checkedOption(), window_->group.button(1));
    }

    void deleteOnAGridShowingNoRowAsksNothing_data()
    {
        QTest::addColumn<bool>("rowBehindTheGrid");
        QTest::addColumn<bool>("currentRowTakenAway"); // or the empty grid clicked
        QTest::newRow("empty list") << false << false;
        QTest::newRow("empty table, a row written behind the grid's back") << true << false;
        QTest::newRow("rows, none current") << false << true;
    }
    void deleteOnAGridShowingNoRowAsksNothing()
    {
        QFETCH(bool, rowBehindTheGrid);
        QFETCH(bool, currentRowTakenAway);
        if (currentRowTakenAway)
            QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}}));
        QVERIFY(start());
        if (rowBehindTheGrid)
            QVERIFY(appendRows(database_, {{u"C"_s, u"3"_s}}));
        window_->label4->setText(u"typed"_s);
        if (currentRowTakenAway)
            window_->grid->setCurrentIndex(QModelIndex());
        else
            QTest::mouseClick(window_->grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(window_->grid->model()->rowCount(), currentRowTakenAway ? 2 : 0);
        QVERIFY(!window_->grid->currentIndex().isValid());
        QVERIFY(window_->selectedRows().isEmpty());
        const QList<WaybillRow> before = rowsInFile(database_);
        prompter_->answers = {QMessageBox::Yes};

        window_->command1->click();

        QVERIFY(prompter_->asked.isEmpty());
        QCOMPARE(rowsInFile(database_), before);
        QCOMPARE(window_->label4->text(), u"typed"_s);
    }
};

QTEST_MAIN(TestSavedWaybillList)
#include "test_SavedWaybillList.moc"
