#pragma once

#include <QString>

namespace trovix {

// The folder of the running executable, without a trailing separator, and the one way
// its files are named: the folder followed directly by a name written the Windows way,
// a backslash and then the name ("\config.ini", "\bin\经典xp.she"). Only the file
// system sees the separators turned.
class ProgramFolder {
public:
    explicit ProgramFolder(QString path);
    static ProgramFolder ofRunningExecutable();

    const QString& path() const { return path_; }
    // The folder and name joined, as the skin library is handed a skin file.
    QString joined(const QString& name) const { return path_ + name; }
    // The same file as the file system names it.
    QString file(const QString& name) const { return forFileSystem(joined(name)); }

    static QString forFileSystem(const QString& windowsPath);
    // A name inside the folder, relative to it ("\bin\x.she" gives "bin/x.she").
    static QString relative(const QString& name);

private:
    QString path_;
};

// The files of the program folder.
namespace programfiles {

inline const QString Database = QStringLiteral("\\yundan.mdb");
inline const QString DefaultSkin = QStringLiteral("\\skinh.she");
// The capture's scratch file, the one name joined with a slash.
inline const QString CaptureScratch = QStringLiteral("/temp.txt");
inline const QString TrovixExecutable = QStringLiteral("\\Trovix");
inline const QString UpdateExecutable = QStringLiteral("\\update");
// The offered build while it arrives and is checked; after the swap, the old build
// until the new one has started.
inline const QString TrovixScratch = QStringLiteral("\\Trovix.download");
// Where updaters of earlier builds set the old executable aside.
inline const QString TrovixBackup = QStringLiteral("\\Trovix.bak");
inline const QString InstalledVersionFile = QStringLiteral("\\config.ini");
inline const QString OfferedVersionFile = QStringLiteral("\\update.ini");
inline const QString OfferedVersionScratch = QStringLiteral("\\update.ini.download");

} // namespace programfiles

} // namespace trovix
