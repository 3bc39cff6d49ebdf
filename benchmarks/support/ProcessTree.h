#pragma once

#include <QByteArray>
#include <QList>

#include <sys/types.h>

namespace bench {

// A process and all its descendants, as /proc shows them now; the root first.
QList<pid_t> processTree(pid_t root);

// The fields of /proc/PID/stat after the command name, which may hold blanks and
// parentheses: the state is the first, the parent the second. Empty when the process is
// gone.
QList<QByteArray> statFieldsAfterName(pid_t pid);

} // namespace bench
