#include "waybills/SavedWaybillList.h"

#include "common/FontFaces.h"
#include "common/Prompter.h"
#include "tracking/CourierChoice.h"
#include "waybills/WaybillStore.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace trovix {

namespace {

// OK only, no icon, the application's own title.
MessageBoxRequest notice(const QString& text)
{
    return {text, QString(), QMessageBox::Ok, QMessageBox::NoIcon};
}

} // namespace

SavedWaybillList::SavedWaybillList(const SavedWaybillWidgets& widgets, WaybillStore& store,
                                   Prompter& prompter, QObject* parent)
    : QObject(parent), widgets_(widgets), store_(store), prompter_(prompter)
{
    QTableView* grid = widgets_.dataGrid1;
    const QFont gridFont = fonts::windowsFont(QStringLiteral("宋体"), 9);
    grid->setFont(gridFont);
    grid->horizontalHeader()->setFont(gridFont);
    grid->verticalHeader()->setFont(gridFont);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);

    connect(grid, &QTableView::clicked, this, &SavedWaybillList::pickRow);
    connect(widgets_.command6, &QPushButton::clicked, this, &SavedWaybillList::add);
    connect(widgets_.command1, &QPushButton::clicked, this, &SavedWaybillList::deleteSelected);
    connect(widgets_.command8, &QPushButton::clicked, this, &SavedWaybillList::refresh);
}

void SavedWaybillList::bindGrid()
{
    QTableView* grid = widgets_.dataGrid1;
    if (grid->model() != store_.listModel()) {
        QItemSelectionModel* previousSelection = grid->selectionModel();
        grid->setModel(store_.listModel());
        // The view makes a selection model per model and never deletes the old one.
        delete previousSelection;
        // Keys and the mouse move the grid's current row; it is the store's too, so
        // delete removes the row the user sees selected.
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) {
                    if (current.isValid())
                        store_.setCurrentRow(current.row());
                });
        connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &SavedWaybillList::keepCurrentRowSelected);
    }
    showCurrentRow();
}

void SavedWaybillList::refresh()
{
    if (!store_.reopenList())
        reportStoreError();
    bindGrid();
}

void SavedWaybillList::add()
{
    const QString number = widgets_.label4->text();
    bool failed = false;
    if (number.isEmpty()) {
        prompter_.ask(notice(QStringLiteral("运单号不能为空！")));
    } else {
        const int stored = store_.countByNumber(number);
        if (stored < 0)
            failed = true;
        else if (stored >= 1)
            prompter_.ask(notice(QStringLiteral("运单号已存在！")));
        else
            failed = !store_.insert(widgets_.label6->text(), number);
    }
    if (failed)
        reportStoreError();
    // One message per click: a store that just failed is likely to fail the
    // re-read for the same reason.
    if (!store_.reopenList() && !failed)
        reportStoreError();
    bindGrid();
}

void SavedWaybillList::deleteSelected()
{
    if (!store_.isListOpen()) {
        // The grid showed no row, so there is none the user could mean yet.
        if (!store_.reopenList())
            reportStoreError();
        bindGrid();
        return;
    }
    const int row = selectedRow();
    if (row < 0)
        return;
    const QMessageBox::StandardButton answer =
        prompter_.ask({QStringLiteral("是否删除该运单？"), QStringLiteral("提示"),
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon});
    if (answer != QMessageBox::Yes)
        return;
    store_.setCurrentRow(row);
    const bool deleted = store_.deleteCurrentRow();
    if (!deleted)
        reportStoreError();
    if (!store_.reopenList() && deleted)
        reportStoreError();
    bindGrid();
}

void SavedWaybillList::pickRow(const QModelIndex& clicked)
{
    if (!clicked.isValid() || store_.rowCount() == 0)
        return;
    store_.setCurrentRow(clicked.row());
    widgets_.label6->setText(store_.currentCourier());
    widgets_.label4->setText(store_.currentNumber());
    widgets_.courierChoice->choose(widgets_.label6->text());
}

void SavedWaybillList::showCurrentRow()
{
    QTableView* grid = widgets_.dataGrid1;
    const int rowId = store_.rowIdColumn();
    if (rowId >= 0)
        grid->setColumnHidden(rowId, true);
    // The courier column takes what its names need, the number the rest of the grid.
    if (grid->horizontalHeader()->count() > 0)
        grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    if (store_.currentRow() < 0)
        return;
    const QModelIndex first = store_.listModel()->index(store_.currentRow(), 0);
    grid->setCurrentIndex(first);
    grid->scrollTo(first);
}

int SavedWaybillList::selectedRow() const
{
    const QTableView* grid = widgets_.dataGrid1;
    if (grid->model() != store_.listModel() || store_.rowCount() == 0)
        return -1;
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid() || !grid->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return -1;
    return current.row() == store_.currentRow() ? current.row() : -1;
}

// Ctrl+click on the selected row would take its highlight away while it stays
// current, and Delete would then act on a row the user no longer sees selected.
void SavedWaybillList::keepCurrentRowSelected()
{
    QItemSelectionModel* selection = widgets_.dataGrid1->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && !selection->isRowSelected(current.row(), QModelIndex()))
        selection->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void SavedWaybillList::reportStoreError()
{
    prompter_.ask({store_.lastError(), QString(), QMessageBox::Ok, QMessageBox::Warning});
}

} // namespace trovix
