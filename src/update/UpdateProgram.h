#pragma once

#include "update/UpdateFlow.h"

namespace trovix {

// The update program from start to end: its window and flow on the running program's
// folder and configuration. Returns the program's exit code.
int runUpdateProgram(int& argc, char* argv[], UpdateFlow::Checkpoint checkpoint);

} // namespace trovix
