#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The stand-in Trovix builds: the installed one records "1.2", the one the update
// server hands out records "2.0".
namespace standin {

inline const QByteArray InstalledVersion = "1.2";
inline const QByteArray ServedVersion = "2.0";

QByteArray installedBytes();
QByteArray servedBytes();

// Writes bytes as an executable file.
bool install(const QString& path, const QByteArray& bytes);

bool isExecutable(const QString& path);
// The names of the folder's files, hidden ones too, sorted.
QStringList fileNames(const QString& folder);

// What /proc/PID/exe resolves to, or an empty text once the process has ended.
QString executableOf(qint64 pid);

// Every process running the executable has recorded its version and left no scratch file.
bool allRecorded(const QString& executable);

// The folder holds the served build, which has recorded its version, and no files but
// those named.
void expectServedBuild(const QString& folder, const QStringList& files);

} // namespace standin

// Programs a test starts; those still running their executable are killed when it ends.
class TestPrograms {
public:
    TestPrograms() = default;
    TestPrograms(const TestPrograms&) = delete;
    TestPrograms& operator=(const TestPrograms&) = delete;
    ~TestPrograms();

    // Starts program detached (0 when it could not); extraEnvironment is NAME=value.
    qint64 start(const QString& program, const QStringList& arguments = {},
                 const QStringList& extraEnvironment = {});
    // The installed stand-in as the folder's Trovix, running with its version recorded
    // (0 when it is not).
    qint64 runInstalledTrovix(const QString& folder, const QStringList& extraEnvironment = {},
                              const QByteArray& bytes = standin::installedBytes());
    // Takes over a process started elsewhere (by the code under test).
    void adopt(qint64 pid);

private:
    struct Started {
        qint64 pid;
        QString executable;
    };
    QList<Started> started_;
};
