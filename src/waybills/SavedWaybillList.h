#pragma once

#include <QObject>

class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;

namespace trovix {

class CourierChoice;
class Prompter;
class WaybillStore;

// The widgets of the main window that the saved-waybill list works on.
struct SavedWaybillWidgets {
    QTableView* dataGrid1 = nullptr;
    QLabel* label4 = nullptr;        // current waybill number
    QLabel* label6 = nullptr;        // current courier
    QPushButton* command6 = nullptr; // add
    QPushButton* command1 = nullptr; // delete
    QPushButton* command8 = nullptr; // refresh
    CourierChoice* courierChoice = nullptr;
};

// Shows the waybill store in DataGrid1 and runs its add, delete, refresh and row
// pick. The grid is read-only: rows change only through these commands.
class SavedWaybillList : public QObject {
    Q_OBJECT
public:
    SavedWaybillList(const SavedWaybillWidgets& widgets, WaybillStore& store, Prompter& prompter,
                     QObject* parent = nullptr);

    // Start-up: the store, already open, becomes the grid's data source.
    void bindGrid();

    void refresh();
    void add();
    void deleteSelected();
    void pickRow(const QModelIndex& clicked);

private:
    void showCurrentRow();
    // The row shown both current and selected, which is the store's current row; -1 if none.
    int selectedRow() const;
    void keepCurrentRowSelected();
    void reportStoreError();

    SavedWaybillWidgets widgets_;
    WaybillStore& store_;
    Prompter& prompter_;
};

} // namespace trovix
