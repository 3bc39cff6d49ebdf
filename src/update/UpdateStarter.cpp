#include "update/UpdateStarter.h"

#include "common/Prompter.h"

#include <QProcess>

#include <utility>

namespace trovix {

UpdateStarter::UpdateStarter(ProgramFolder programFolder, Prompter& prompter,
                             std::function<void()> endProgram)
    : programFolder_(std::move(programFolder)), prompter_(prompter), endProgram_(std::move(endProgram))
{
}

void UpdateStarter::start()
{
    QProcess updater;
    updater.setProgram(programFolder_.file(programfiles::UpdateExecutable));
    if (updater.startDetached())
        return;
    prompter_.ask({updater.errorString(), {}, QMessageBox::Ok, QMessageBox::Critical});
    endProgram_();
}

} // namespace trovix
