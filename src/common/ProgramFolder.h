#pragma once

#include <QString>

namespace trovix {

// The folder of the running executable, without a trailing separator.
QString programFolder();

// Joins a name written the Windows way ("\bin\经典xp.she", "\config.ini") to a
// folder, turning the separators only for the file system.
QString programFile(const QString& folder, const QString& windowsRelativeName);

} // namespace trovix
