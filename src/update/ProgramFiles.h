#pragma once

#include <QString>

// The files of the program folder that Trovix and update share or hand over.
namespace trovix::programfiles {

inline const QString TrovixExecutable = QStringLiteral("Trovix");
inline const QString UpdateExecutable = QStringLiteral("update");
// Trovix's executable set aside while the new one is downloaded.
inline const QString TrovixBackup = QStringLiteral("Trovix.bak");
inline const QString InstalledVersionFile = QStringLiteral("config.ini");
inline const QString OfferedVersionFile = QStringLiteral("update.ini");

QString path(const QString& programFolder, const QString& name);

} // namespace trovix::programfiles
