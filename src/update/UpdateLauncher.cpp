#include "update/UpdateLauncher.h"

#include "common/ProgramFolder.h"
#include "common/Prompter.h"

#include <QProcess>

namespace trovix {

UpdateLauncher::UpdateLauncher(QString programFolder, Prompter& prompter, std::function<void()> endProgram)
    : programFolder_(std::move(programFolder)), prompter_(prompter), endProgram_(std::move(endProgram))
{
}

void UpdateLauncher::launch()
{
    QProcess updater;
    updater.setProgram(ProgramFolder(programFolder_).file(programfiles::UpdateExecutable));
    if (updater.startDetached())
        return;
    prompter_.ask({updater.errorString(), {}, QMessageBox::Ok, QMessageBox::Critical});
    endProgram_();
}

} // namespace trovix
