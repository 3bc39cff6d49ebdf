#include "skins/SkinMenu.h"

#include "skins/SkinChoiceStore.h"
#include "skins/SkinLibraryInterface.h"
#include "skins/SkinTable.h"

#include <QKeySequence>

#include <utility>

namespace trovix {

SkinMenu::SkinMenu(QList<QAction*> entries, SkinLibraryInterface& library, SkinChoiceStore& store,
                   ProgramFolder programFolder, QObject* parent)
    : QObject(parent), entries_(std::move(entries)), library_(library), store_(store),
      programFolder_(std::move(programFolder))
{
    Q_ASSERT(entries_.size() == skinTable().size());
    for (int row = 0; row < entries_.size(); ++row) {
        QAction* entry = entries_[row];
        entry->setCheckable(true);
        entry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_F1 + row)));
        connect(entry, &QAction::triggered, this, [this, row] { choose(row); });
    }
}

void SkinMenu::choose(int row)
{
    const SkinEntry& skin = skinTable()[row];
    library_.SkinH_AttachEx(programFolder_.joined(skin.file), QString());
    store_.write(skin.savedValue());
    for (int other = 0; other < entries_.size(); ++other)
        entries_[other]->setChecked(other == row);
}

void SkinMenu::restore()
{
    const QString saved = store_.read();
    const int row = restoredRow(saved);
    if (row < entries_.size())
        entries_[row]->setChecked(true);
    if (saved.isEmpty())
        library_.SkinH_Attach();
    else
        library_.SkinH_AttachEx(programFolder_.joined(saved), QString());
}

} // namespace trovix
