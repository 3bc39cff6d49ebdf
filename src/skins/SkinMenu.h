#pragma once

#include "common/ProgramFolder.h"

#include <QAction>
#include <QList>
#include <QObject>

namespace trovix {

class SkinChoiceStore;
class SkinLibraryInterface;

// The skin menu: seven entries in menu order (moren, jdqq, jdxp, dylg, jpjm, hskx,
// bsjy). Makes them checkable, gives them Ctrl+F1 to Ctrl+F7 and runs each entry's
// choice on QAction::triggered. The check marks are kept here, not by an exclusive
// group: the start-up restore touches one entry only.
class SkinMenu final : public QObject {
    Q_OBJECT
public:
    SkinMenu(QList<QAction*> entries, SkinLibraryInterface& library, SkinChoiceStore& store,
             ProgramFolder programFolder, QObject* parent = nullptr);

    // Start-up: checks the saved skin's entry (the default entry when the saved value
    // names none) and attaches the saved skin, or the default one when none is saved.
    void restore();

private:
    void choose(int row);

    QList<QAction*> entries_;
    SkinLibraryInterface& library_;
    SkinChoiceStore& store_;
    ProgramFolder programFolder_;
};

} // namespace trovix
