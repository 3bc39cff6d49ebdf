#include "StandIns.h"

#include "FileBytes.h"
#include "common/ProgramFolder.h"
#include "update/ExecutableProcesses.h"
#include "update/VersionComparison.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace standin {

QByteArray installedBytes()
{
    return fileBytes(QStringLiteral(STANDIN_INSTALLED));
}

QByteArray servedBytes()
{
    return fileBytes(QStringLiteral(STANDIN_SERVED));
}

bool install(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool isExecutable(const QString& path)
{
    return QFileInfo(path).isExecutable();
}

QStringList fileNames(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QString executableOf(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
}

bool allRecorded(const QString& executable)
{
    const QList<qint64> running = trovix::ExecutableProcesses(executable).running();
    return std::all_of(running.begin(), running.end(), [](qint64 pid) {
        return fileBytes(QStringLiteral("/proc/%1/comm").arg(pid)) == "recorded\n";
    });
}

void expectServedBuild(const QString& folder, const QStringList& files)
{
    const QString trovix = QDir(folder).filePath(QStringLiteral("Trovix"));
    QCOMPARE(fileBytes(trovix), servedBytes());
    QTRY_COMPARE(trovix::readRecordedVersion(trovix::ProgramFolder(folder)), ServedVersion);
    QTRY_VERIFY(allRecorded(trovix));
    QCOMPARE(fileNames(folder), files);
}

} // namespace standin

TestPrograms::~TestPrograms()
{
    for (const Started& program : std::as_const(started_)) {
        const QString running = standin::executableOf(program.pid);
        if (!program.executable.isEmpty() &&
            (running == program.executable || running == program.executable + QStringLiteral(" (deleted)")))
            ::kill(pid_t(program.pid), SIGKILL);
    }
}

qint64 TestPrograms::start(const QString& program, const QStringList& arguments,
                           const QStringList& extraEnvironment)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    QStringList environment = QProcess::systemEnvironment();
    environment += extraEnvironment;
    process.setEnvironment(environment);
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        return 0;
    // startDetached returns once the program has been executed, so its file is known.
    started_.append({pid, standin::executableOf(pid)});
    return pid;
}

qint64 TestPrograms::runInstalledTrovix(const QString& folder, const QStringList& extraEnvironment,
                                        const QByteArray& bytes)
{
    const QString trovix = QDir(folder).filePath(QStringLiteral("Trovix"));
    if (!standin::install(trovix, bytes))
        return 0;
    const qint64 pid = start(trovix, {}, extraEnvironment);
    return pid && QTest::qWaitFor([&] { return standin::allRecorded(trovix); }) &&
                   trovix::readRecordedVersion(trovix::ProgramFolder(folder)) == standin::InstalledVersion
               ? pid
               : 0;
}

void TestPrograms::adopt(qint64 pid)
{
    started_.append({pid, standin::executableOf(pid)});
}
