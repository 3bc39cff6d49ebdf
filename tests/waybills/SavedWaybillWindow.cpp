#include "SavedWaybillWindow.h"

#include "tracking/CourierCatalogue.h"

#include <QItemSelectionModel>
#include <QTest>
#include <QVBoxLayout>

SavedWaybillWindow::SavedWaybillWindow()
{
    auto* layout = new QVBoxLayout(&widget);
    for (QWidget* part : std::initializer_list<QWidget*>{grid, label4, label6, text1, command6, command1})
        layout->addWidget(part);
    for (const trovix::Courier& courier : trovix::couriers()) {
        auto* option = new QRadioButton(courier.displayName, &widget);
        group.addButton(option, courier.row);
        layout->addWidget(option);
        QObject::connect(option, &QRadioButton::toggled, &widget, [this, option](bool on) {
            if (!on)
                return;
            label6->setText(option->text());
            loadedPages.append(option->text());
        });
    }
    QObject::connect(text1, &QLineEdit::textChanged, label4,
                     [this](const QString& text) { label4->setText(text.trimmed()); });
    command8->hide();
    widget.resize(400, 900);
}

trovix::SavedWaybillWidgets SavedWaybillWindow::widgets()
{
    return {grid, label4, label6, command6, command1, command8, &choice};
}

QAbstractButton* SavedWaybillWindow::checkedOption() const
{
    return group.checkedButton();
}

QString SavedWaybillWindow::cell(int row, int column) const
{
    return grid->model()->index(row, column).data().toString();
}

void SavedWaybillWindow::clickRow(int row, Qt::KeyboardModifiers modifiers) const
{
    const QRect cellRect = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, cellRect.center());
}

QList<int> SavedWaybillWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}
