// Times the saved-waybill list over stores of growing size and prints one line per
// figure: the median of several runs, in milliseconds.
#include "MedianTime.h"
#include "SavedWaybillWindow.h"
#include "common/ProgramFolder.h"
#include "common/Prompter.h"
#include "tracking/CourierCatalogue.h"
#include "waybills/SavedWaybillList.h"
#include "waybills/WaybillStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using trovix::bench::medianMs;

namespace {

constexpr int Runs = 7;

class YesPrompter final : public trovix::Prompter {
public:
    QMessageBox::StandardButton ask(const trovix::MessageBoxRequest&) override { return QMessageBox::Yes; }
};

bool fill(const QString& path, int rows)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery query(db);
        query.prepare(QStringLiteral("insert into 运单 values(?,?)"));
        for (int row = 0; ok && row < rows; ++row) {
            query.addBindValue(trovix::couriers().at(row % trovix::couriers().size()).displayName);
            query.addBindValue(QStringLiteral("SF%1").arg(row, 9, 10, QChar(u'0')));
            ok = query.exec();
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

void measure(const QString& shippedDatabase, int rows)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("yundan.mdb"));
    if (!QFile::copy(shippedDatabase, path) ||
        !QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner) || !fill(path, rows)) {
        std::printf("rows=%d: could not build the store\n", rows);
        return;
    }
    YesPrompter prompter;
    SavedWaybillWindow window;
    window.widget.show();
    std::unique_ptr<trovix::WaybillStore> store;
    std::unique_ptr<trovix::SavedWaybillList> list;

    const double openAndBind = medianMs(
        Runs,
        [&] {
            list.reset();
            store.reset();
        },
        [&] {
            store = std::make_unique<trovix::WaybillStore>();
            store->open(path);
            list = std::make_unique<trovix::SavedWaybillList>(window.widgets(), *store, prompter);
            list->bindGrid();
            QCoreApplication::processEvents();
        });

    int added = 0;
    const double add = medianMs(
        Runs, [&] { window.label4->setText(QStringLiteral("NEW%1").arg(++added)); },
        [&] { window.command6->click(); });

    const double deleteAndRefresh = medianMs(
        Runs, [] {}, [&] { window.command1->click(); });

    int picked = 0;
    const double pick = medianMs(
        Runs, [] {},
        [&] {
            const QModelIndex row = window.grid->model()->index(++picked % 5, 1);
            QTest::mouseClick(window.grid->viewport(), Qt::LeftButton, {},
                              window.grid->visualRect(row).center());
        });

    std::printf("rows=%d open+bind: %.2f ms\n", rows, openAndBind);
    std::printf("rows=%d add (look-up + insert + refresh): %.2f ms\n", rows, add);
    std::printf("rows=%d delete + refresh: %.2f ms\n", rows, deleteAndRefresh);
    std::printf("rows=%d row pick: %.3f ms\n", rows, pick);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Built into the program folder, beside the shipped, empty yundan.mdb.
    const QString shipped = trovix::ProgramFolder::ofRunningExecutable().file(trovix::programfiles::Database);
    std::printf("median of %d runs each\n", Runs);
    for (int rows : {1000, 10000, 100000})
        measure(shipped, rows);
    return 0;
}
