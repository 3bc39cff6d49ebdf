#include "update/UpdateLauncher.h"

#include "common/Prompter.h"
#include "update/ProgramFiles.h"

#include <QProcess>

namespace trovix {

UpdateLauncher::UpdateLauncher(QString programFolder, Prompter& prompter, std::function<void()> endProgram)
    : programFolder_(std::move(programFolder)), prompter_(prompter), endProgram_(std::move(endProgram))
{
}

void UpdateLauncher::launch()
{
    QProcess updater;
    updater.setProgram(programfiles::path(programFolder_, programfiles::UpdateExecutable));
    if (updater.startDetached())
        return;
    prompter_.ask({updater.errorString(), {}, QMessageBox::Ok, QMessageBox::Critical});
    endProgram_();
}

} // namespace trovix
