#pragma once

#include <QString>

// The files of the program folder that Trovix and update share or hand over.
namespace trovix::programfiles {

inline const QString TrovixExecutable = QStringLiteral("Trovix");
inline const QString UpdateExecutable = QStringLiteral("update");
// The offered build while it arrives and is checked; after the swap, the old build
// until the new one has started.
inline const QString TrovixScratch = QStringLiteral("Trovix.download");
// Where updaters of earlier builds set the old executable aside.
inline const QString TrovixBackup = QStringLiteral("Trovix.bak");
inline const QString InstalledVersionFile = QStringLiteral("config.ini");
inline const QString OfferedVersionFile = QStringLiteral("update.ini");
inline const QString OfferedVersionScratch = QStringLiteral("update.ini.download");

QString path(const QString& programFolder, const QString& name);

} // namespace trovix::programfiles
