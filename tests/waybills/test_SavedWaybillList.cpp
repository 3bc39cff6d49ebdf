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

using trovix::SavedWaybillList;
using trovix::WaybillStore;

namespace {

enum class Failure { Locked, ReadOnly, Vanished };

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
        QVERIFY(folder_->copyFromBuild(QStringLiteral("yundan.mdb")));
        database_ = folder_->file(QStringLiteral("yundan.mdb"));
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
        QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("快递公司"));
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("运单号"));
        QVERIFY(!grid->isColumnHidden(0));
        QVERIFY(!grid->isColumnHidden(1));
        QVERIFY(grid->isColumnHidden(2));
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->font().families(), trovix::fonts::windowsFont(QStringLiteral("宋体"), 9).families());
        QCOMPARE(grid->font().pointSizeF(), 9.0);
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!(grid->model()->flags(grid->model()->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(prompter_->asked.isEmpty());
    }

    void add_data()
    {
        QTest::addColumn<QString>("courier");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<bool>("stored");
        QTest::newRow("empty number") << "EMS快递"
                                      << ""
                                      << "运单号不能为空！" << false;
        QTest::newRow("stored number") << "EMS快递"
                                       << "SF1"
                                       << "运单号已存在！" << false;
        QTest::newRow("stored number in other case") << "EMS快递"
                                                     << "sf1"
                                                     << "运单号已存在！" << false;
        QTest::newRow("new number") << "顺丰速递"
                                    << "SF2"
                                    << "" << true;
        QTest::newRow("new number, no courier") << ""
                                                << "N9"
                                                << "" << true;
    }
    void add()
    {
        QFETCH(QString, courier);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(bool, stored);
        QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {u"顺丰速递"_s, u"SF1"_s}}));
        QVERIFY(start());
        window_->clickRow(1);
        window_->label6->setText(courier);
        window_->label4->setText(number);
        // Written behind the grid's back: only a refresh shows it.
        QVERIFY(appendRows(database_, {{u"B"_s, u"2"_s}}));

        window_->command6->click();

        if (message.isEmpty()) {
            QVERIFY(prompter_->asked.isEmpty());
        } else {
            QCOMPARE(prompter_->asked.size(), 1);
            const trovix::MessageBoxRequest& asked = prompter_->asked.first();
            QCOMPARE(asked.text, message);
            QCOMPARE(asked.caption, QString());
            QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(asked.icon, QMessageBox::NoIcon);
        }
        QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"顺丰速递"_s, u"SF1"_s}, {u"B"_s, u"2"_s}};
        if (stored)
            expected.append({courier, number});
        QCOMPARE(rowsInFile(database_), expected);
        QCOMPARE(rowsInGrid(), expected);
        QVERIFY(window_->grid->isColumnHidden(2));
        QCOMPARE(window_->grid->currentIndex().row(), 0);
        QCOMPARE(window_->label4->text(), number);
        QCOMPARE(window_->label6->text(), courier);
    }

    void emptyListShowsNothingAndAsksNothing()
    {
        QVERIFY(start());
        QCOMPARE(window_->grid->model()->rowCount(), 0);
        QVERIFY(!window_->grid->currentIndex().isValid());
        window_->label4->setText(QStringLiteral("typed"));
        QTest::mouseClick(window_->grid->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        window_->command1->click();
        QVERIFY(prompter_->asked.isEmpty());
        QCOMPARE(window_->label4->text(), QStringLiteral("typed"));
    }

    void deleteAnsweredNoChangesNothing()
    {
        const QList<WaybillRow> rows{{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}};
        QVERIFY(appendRows(database_, rows));
        QVERIFY(start());
        window_->clickRow(1);
        prompter_->answers = {QMessageBox::No};

        window_->command1->click();

        QCOMPARE(prompter_->asked.size(), 1);
        const trovix::MessageBoxRequest& asked = prompter_->asked.first();
        QCOMPARE(asked.text, QStringLiteral("是否删除该运单？"));
        QCOMPARE(asked.caption, QStringLiteral("提示"));
        QCOMPARE(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(asked.icon, QMessageBox::NoIcon);
        QCOMPARE(rowsInFile(database_), rows);
        QCOMPARE(rowsInGrid(), rows);
        QCOMPARE(window_->grid->currentIndex().row(), 1);
    }

    void deleteYesRemovesThePickedRow_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("clicked") << false;
        QTest::newRow("moved to with the arrow key") << true;
    }
    void deleteYesRemovesThePickedRow()
    {
        QFETCH(bool, byKeyboard);
        QVERIFY(appendRows(
            database_, {{u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}}));
        QVERIFY(start());
        if (byKeyboard) {
            window_->grid->setFocus();
            QTest::keyClick(window_->grid, Qt::Key_Down);
            QTest::keyClick(window_->grid, Qt::Key_Down);
        } else {
            window_->clickRow(2);
        }
        QCOMPARE(window_->grid->currentIndex().row(), 2);
        prompter_->answers = {QMessageBox::Yes};

        window_->command1->click();

        QCOMPARE(prompter_->asked.size(), 1);
        const QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}};
        QCOMPARE(rowsInFile(database_), expected);
        QCOMPARE(rowsInGrid(), expected);
        QCOMPARE(window_->grid->currentIndex().row(), 0);
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
        QCOMPARE(window_->label4->text(), QStringLiteral("P'1 %"));
        if (option == 0) {
            QCOMPARE(window_->checkedOption(), nullptr);
            QVERIFY(window_->loadedPages.isEmpty());
        } else {
            QCOMPARE(window_->checkedOption(), window_->options.at(option - 1));
            QCOMPARE(window_->loadedPages, QStringList{courier});
        }
        QVERIFY(window_->text1->text().isEmpty());
        QVERIFY(prompter_->asked.isEmpty());
    }

    void typingAfterAPickMakesTheTypedNumberCurrent()
    {
        QVERIFY(appendRows(database_, {{u"顺丰速递"_s, u"SF1"_s}}));
        QVERIFY(start());
        window_->clickRow(0);
        window_->command6->click();
        QCOMPARE(prompter_->asked.size(), 1);
        QCOMPARE(prompter_->asked.first().text, QStringLiteral("运单号已存在！"));

        QTest::keyClicks(window_->text1, QStringLiteral(" SF2 "));
        QCOMPARE(window_->label4->text(), QStringLiteral("SF2"));
        window_->command6->click();

        QCOMPARE(prompter_->asked.size(), 1);
        QCOMPARE(rowsInFile(database_),
                 QList<WaybillRow>({{u"顺丰速递"_s, u"SF1"_s}, {u"顺丰速递"_s, u"SF2"_s}}));
    }

    void storeErrorsAreShownAndGridStaysUsable_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("read-only file") << false;
        QTest::newRow("locked by another program") << true;
    }
    void storeErrorsAreShownAndGridStaysUsable()
    {
        QFETCH(bool, locked);
        const QList<WaybillRow> rows{{u"A"_s, u"1"_s}, {u"顺丰速递"_s, u"SF1"_s}};
        QVERIFY(appendRows(database_, rows));
        if (!locked)
            QVERIFY(makeReadOnly(database_));
        QVERIFY(start());
        auto lock = locked ? std::make_unique<ExclusiveLock>(database_) : nullptr;
        QVERIFY(!lock || lock->isHeld());
        window_->label4->setText(QStringLiteral("NEW"));

        window_->command6->click();

        QCOMPARE(prompter_->asked.size(), 1);
        const trovix::MessageBoxRequest asked = prompter_->asked.first();
        QVERIFY(!asked.text.isEmpty());
        QCOMPARE(asked.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(asked.icon, QMessageBox::Warning);
        prompter_->answers = {QMessageBox::Yes};
        window_->command1->click();
        // The question about the row shown selected, then the failed delete.
        QCOMPARE(prompter_->asked.size(), 3);
        QCOMPARE(prompter_->asked.at(1).text, QStringLiteral("是否删除该运单？"));
        QCOMPARE(prompter_->asked.at(2).icon, QMessageBox::Warning);
        if (lock)
            lock->release();
        QCOMPARE(rowsInFile(database_), rows);

        prompter_->asked.clear();
        window_->command8->click();
        QVERIFY(prompter_->asked.isEmpty());
        QCOMPARE(rowsInGrid(), rows);
        window_->clickRow(1);
        QCOMPARE(window_->label4->text(), QStringLiteral("SF1"));
        QCOMPARE(window_->checkedOption(), window_->options.at(1));
    }

    // A failed re-read once emptied the grid, and Delete then re-opened the list and
    // removed its first row, which the user had never seen selected.
    void failedRefreshKeepsTheRowsAndDeleteHitsTheShownRow()
    {
        QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}}));
        QVERIFY(start());
        window_->clickRow(1);
        {
            ExclusiveLock other(database_);
            QVERIFY(other.isHeld());
            window_->command8->click();
            QCOMPARE(prompter_->asked.size(), 1);
            QCOMPARE(prompter_->asked.first().icon, QMessageBox::Warning);
            QCOMPARE(rowsInGrid(), QList<WaybillRow>({{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}}));
            QCOMPARE(window_->grid->currentIndex().row(), 1);
            QCOMPARE(window_->selectedRows(), QList<int>{1});
        }
        prompter_->answers = {QMessageBox::Yes};
        window_->command1->click();
        QCOMPARE(prompter_->asked.size(), 2);
        QCOMPARE(prompter_->asked.at(1).text, QStringLiteral("是否删除该运单？"));
        QCOMPARE(rowsInFile(database_), QList<WaybillRow>({{u"A"_s, u"1"_s}}));
        QCOMPARE(rowsInGrid(), QList<WaybillRow>({{u"A"_s, u"1"_s}}));
    }

    void lockedAddKeepsEveryRowThenDeleteRemovesThePickedRow()
    {
        const QList<WaybillRow> rows{
            {u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}};
        QVERIFY(appendRows(database_, rows));
        QVERIFY(start());
        window_->label4->setText(QStringLiteral("NEW"));
        auto lock = std::make_unique<ExclusiveLock>(database_);
        QVERIFY(lock->isHeld());

        window_->command6->click();

        QCOMPARE(prompter_->asked.size(), 1);
        QVERIFY(prompter_->asked.first().text.contains(QStringLiteral("locked")));
        QCOMPARE(rowsInGrid(), rows);
        QCOMPARE(window_->grid->currentIndex().row(), 0);
        QCOMPARE(window_->selectedRows(), QList<int>{0});

        lock.reset();
        window_->clickRow(1);
        prompter_->answers = {QMessageBox::Yes};
        window_->command1->click();

        QCOMPARE(prompter_->asked.size(), 2);
        const QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"EMS快递"_s, u"T"_s}, {u"B"_s, u"2"_s}};
        QCOMPARE(rowsInFile(database_), expected);
        QCOMPARE(rowsInGrid(), expected);
    }

    void failedOperationsKeepTheRowsShown_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("operation");
        const QList<QPair<const char*, Failure>> failures{
            {"locked", Failure::Locked}, {"read-only", Failure::ReadOnly}, {"vanished", Failure::Vanished}};
        for (const auto& [name, failure] : failures) {
            for (const char* operation : {"add", "delete", "refresh"}) {
                // Reading a read-only or vanished file works: only writes fail there.
                if (failure != Failure::Locked && QByteArray(operation) == "refresh")
                    continue;
                QTest::addRow("%s, %s", operation, name) << failure << QString::fromLatin1(operation);
            }
        }
    }
    void failedOperationsKeepTheRowsShown()
    {
        QFETCH(Failure, failure);
        QFETCH(QString, operation);
        const QList<WaybillRow> rows{{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}};
        QVERIFY(appendRows(database_, rows));
        if (failure == Failure::ReadOnly)
            QVERIFY(makeReadOnly(database_));
        QVERIFY(start());
        window_->clickRow(2);
        window_->label4->setText(QStringLiteral("NEW"));
        std::unique_ptr<ExclusiveLock> lock;
        if (failure == Failure::Locked) {
            lock = std::make_unique<ExclusiveLock>(database_);
            QVERIFY(lock->isHeld());
        } else if (failure == Failure::Vanished) {
            QVERIFY(QFile::remove(database_));
        }
        prompter_->answers = {QMessageBox::Yes};

        if (operation == u"add"_s)
            window_->command6->click();
        else if (operation == u"delete"_s)
            window_->command1->click();
        else
            window_->command8->click();

        const int questions = operation == u"delete"_s ? 1 : 0;
        QCOMPARE(prompter_->asked.size(), questions + 1);
        QCOMPARE(prompter_->asked.last().icon, QMessageBox::Warning);
        QCOMPARE(rowsInGrid(), rows);
        QVERIFY(window_->grid->currentIndex().isValid());
        QCOMPARE(window_->selectedRows(), QList<int>{window_->grid->currentIndex().row()});
        if (lock)
            lock->release();
        if (failure != Failure::Vanished)
            QCOMPARE(rowsInFile(database_), rows);
    }

    void deleteOnAGridShowingNoRowAsksNothing_data()
    {
        QTest::addColumn<bool>("rowBehindTheGrid");
        QTest::addColumn<bool>("currentRowTakenAway");
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
        if (currentRowTakenAway)
            window_->grid->setCurrentIndex(QModelIndex());
        QVERIFY(window_->selectedRows().isEmpty());
        const QList<WaybillRow> before = rowsInFile(database_);
        prompter_->answers = {QMessageBox::Yes};

        window_->command1->click();

        QVERIFY(prompter_->asked.isEmpty());
        QCOMPARE(rowsInFile(database_), before);
    }

    void currentRowAlwaysDrawnSelected_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("current");
        QTest::newRow("ctrl+click on the current row") << "ctrl+click 1" << 1;
        QTest::newRow("ctrl+click on another row") << "ctrl+click 2" << 2;
        QTest::newRow("click below the last row") << "click below" << 1;
        QTest::newRow("ctrl+click below the last row") << "ctrl+click below" << 1;
        QTest::newRow("ctrl+down arrow") << "ctrl+down" << 2;
        QTest::newRow("ctrl+space") << "ctrl+space" << 1;
    }
    void currentRowAlwaysDrawnSelected()
    {
        QFETCH(QString, gesture);
        QFETCH(int, current);
        QVERIFY(appendRows(database_, {{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}}));
        QVERIFY(start());
        window_->clickRow(1);
        QCOMPARE(window_->selectedRows(), QList<int>{1});
        window_->grid->setFocus();
        const Qt::KeyboardModifiers modifiers =
            gesture.startsWith(QStringLiteral("ctrl")) ? Qt::ControlModifier : Qt::NoModifier;

        if (gesture.endsWith(QStringLiteral("below"))) {
            const QRect last = window_->grid->visualRect(window_->grid->model()->index(2, 1));
            const QPoint below(last.center().x(), last.bottom() + 3 * last.height());
            QVERIFY(window_->grid->viewport()->rect().contains(below));
            QTest::mouseClick(window_->grid->viewport(), Qt::LeftButton, modifiers, below);
        } else if (gesture.endsWith(QStringLiteral("down"))) {
            QTest::keyClick(window_->grid, Qt::Key_Down, modifiers);
        } else if (gesture.endsWith(QStringLiteral("space"))) {
            QTest::keyClick(window_->grid, Qt::Key_Space, modifiers);
        } else {
            window_->clickRow(gesture.right(1).toInt(), modifiers);
        }

        QCOMPARE(window_->grid->currentIndex().row(), current);
        QCOMPARE(window_->selectedRows(), QList<int>{current});
        prompter_->answers = {QMessageBox::Yes};
        window_->command1->click();
        QCOMPARE(prompter_->asked.size(), 1);
        QList<WaybillRow> expected{{u"A"_s, u"1"_s}, {u"B"_s, u"2"_s}, {u"C"_s, u"3"_s}};
        expected.removeAt(current);
        QCOMPARE(rowsInFile(database_), expected);
    }
};

QTEST_MAIN(TestSavedWaybillList)
#include "test_SavedWaybillList.moc"
