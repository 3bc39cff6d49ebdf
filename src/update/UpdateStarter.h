#pragma once

#include "common/ProgramFolder.h"

#include <functional>

namespace trovix {

class Prompter;

// Trovix's side of "检查更新": starts the folder's update program beside Trovix without
// waiting for it. An updater that cannot be started is reported with the system's
// error text, and then Trovix ends, as it does for any failure nothing handles.
class UpdateStarter {
public:
    UpdateStarter(ProgramFolder programFolder, Prompter& prompter, std::function<void()> endProgram);

    void start();

private:
    ProgramFolder programFolder_;
    Prompter& prompter_;
    std::function<void()> endProgram_;
};

} // namespace trovix
