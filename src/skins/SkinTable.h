#pragma once

#include <QList>
#include <QString>

namespace trovix {

// One entry of the skin menu, in menu order.
struct SkinEntry {
    QString entryName; // the menu action's objectName
    QString caption;
    QString file; // relative to the program folder, with backslashes
    bool isDefault;

    // What the per-user store keeps for this entry: its file, nothing for the default skin.
    QString savedValue() const;
};

const QList<SkinEntry>& skinTable();

// The table row whose entry the start-up restore checks for a saved value: the first
// of the six skins in bin/, in the fixed comparison order, that equals the value
// exactly; the default entry (row 0) when none does.
int restoredRow(const QString& savedValue);

} // namespace trovix
