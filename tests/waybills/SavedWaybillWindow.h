#pragma once

#include "tracking/CourierChoice.h"
#include "waybills/SavedWaybillList.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTableView>
#include <QWidget>

// The part of the main window the saved-waybill list works on, with stand-ins for what
// the tracking driver does: a chosen courier shows in Label6 and "loads" its page, and
// typing in Text1 becomes the current number.
struct SavedWaybillWindow {
    QWidget widget;
    QTableView* grid = new QTableView(&widget);
    QLabel* label4 = new QLabel(&widget);
    QLabel* label6 = new QLabel(&widget);
    QLineEdit* text1 = new QLineEdit(&widget);
    QPushButton* command6 = new QPushButton(QStringLiteral("添加到保存的运单中"), &widget);
    QPushButton* command1 = new QPushButton(QStringLiteral("删除选中运单"), &widget);
    QPushButton* command8 = new QPushButton(QStringLiteral("Command8"), &widget);
    QButtonGroup group; // the fifteen couriers, ids = catalogue rows
    trovix::CourierChoice choice{&group};
    QStringList loadedPages; // display names of the couriers whose page was "loaded"

    SavedWaybillWindow();

    trovix::SavedWaybillWidgets widgets();
    QAbstractButton* checkedOption() const;
    QString cell(int row, int column) const;
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) const;
    QList<int> selectedRows() const;
};
