#pragma once

#include <QByteArray>
#include <QString>

namespace trovix {

class ProgramFolder;

// The version marker in an executable's bytes, read without starting it; empty when the
// file is missing or carries none.
QByteArray readExecutableVersion(const QString& executablePath);

// The version of the Trovix really in a program folder, from the two places that tell it:
// the marker in its executable and the record in config.ini. Where they disagree the
// higher counts, so neither a damaged or hand-lowered record nor an old executable under
// a newer record lets an older build in. Empty when neither tells a version.
QByteArray installedVersion(const ProgramFolder& programFolder);

// Whether the folder's Trovix is a build to refresh the copy in than from: it tells a
// version, and the copy's is lower or unknown (no Trovix, or one from before markers).
bool holdsNewerBuild(const ProgramFolder& programFolder, const ProgramFolder& than);

} // namespace trovix
