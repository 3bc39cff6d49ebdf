#include "update/UpdateFlow.h"

#include "common/Configuration.h"
#include "common/ProgramFolder.h"
#include "common/Prompter.h"
#include "update/ExecutableProcesses.h"
#include "update/Form3.h"
#include "update/ProgramFiles.h"
#include "update/VersionComparison.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace trovix {

namespace {

const QString UpdateFound = QStringLiteral("程序有更新！");
const QString Preparing = QStringLiteral("正在准备更新.....请稍候");
const QString CheckFailed = QStringLiteral("无法检查更新");
const QString Caption = QStringLiteral("更新");

constexpr QFileDevice::Permissions Executable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// Never over an existing file: a backup name that is taken is an error, not a loss.
// Gives the system's error text, or an empty text on success.
QString renameWithoutReplacing(const QString& from, const QString& to)
{
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD,
                    QFile::encodeName(to).constData(), RENAME_NOREPLACE) == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

UpdateFlow::Settings UpdateFlow::Settings::fromConfiguration()
{
    Settings settings;
    settings.programFolder = trovix::programFolder();
    settings.versionUrl = QUrl(config::updateVersionUrl());
    settings.executableUrl = QUrl(config::updateExecutableUrl());
    return settings;
}

UpdateFlow::UpdateFlow(Form3& window, Settings settings, Prompter& prompter, QObject* parent)
    : QObject(parent), window_(window), settings_(std::move(settings)), prompter_(prompter),
      downloader_(settings_.stallTimeout)
{
    window_.Timer1->setInterval(settings_.tickInterval);
    connect(window_.Timer1, &QTimer::timeout, this, &UpdateFlow::onTick);
    window_.installEventFilter(this);
}

QString UpdateFlow::file(const QString& name) const
{
    return programfiles::path(settings_.programFolder, name);
}

void UpdateFlow::start()
{
    window_.Timer1->stop();
    // An old update.ini says nothing about what the server offers today, and a file
    // that offers no version is no reason to take Trovix down.
    if (downloader_.download(settings_.versionUrl, file(programfiles::OfferedVersionFile)) !=
        FileDownloader::Result::Done) {
        window_.Label2->setText(CheckFailed);
        return;
    }
    const QByteArray offered = readOfferedVersion(settings_.programFolder);
    if (offered.isEmpty()) {
        window_.Label2->setText(CheckFailed);
        return;
    }
    if (!updateExists(readInstalledVersion(settings_.programFolder), offered))
        return;

    ExecutableProcesses(file(programfiles::TrovixExecutable)).stopAll(settings_.termWait, settings_.killWait);
    window_.Label2->setText(UpdateFound);
    window_.Label1->setText(Preparing);
    if (isFile(file(programfiles::TrovixExecutable)) &&
        !renameOrFail(file(programfiles::TrovixExecutable), file(programfiles::TrovixBackup)))
        return;
    window_.Timer1->start();
}

void UpdateFlow::onTick()
{
    if (ended_)
        return;
    // The download waits in a nested event loop, where this timer keeps firing: the
    // tick that falls due meanwhile is taken once the download is over.
    if (downloading_) {
        tickDue_ = true;
        return;
    }
    if (isFile(file(programfiles::TrovixExecutable))) {
        if (isFile(file(programfiles::TrovixBackup)) && !removeOrFail(file(programfiles::TrovixBackup)))
            return;
        handOver();
        return;
    }
    downloadTrovix();
}

void UpdateFlow::downloadTrovix()
{
    downloading_ = true;
    const FileDownloader::Result result =
        downloader_.download(settings_.executableUrl, file(programfiles::TrovixExecutable), Executable);
    downloading_ = false;
    window_.Label1->setText(Preparing);
    if (result == FileDownloader::Result::RenameFailed) {
        fail(downloader_.errorString());
        return;
    }
    if (result == FileDownloader::Result::Done && isFile(file(programfiles::TrovixBackup)) &&
        !removeOrFail(file(programfiles::TrovixBackup)))
        return;
    if (closeDue_) {
        end(0);
        return;
    }
    if (tickDue_) {
        tickDue_ = false;
        QTimer::singleShot(0, this, &UpdateFlow::onTick);
    }
}

void UpdateFlow::handOver()
{
    wrapUp(0);
    window_.close();
    QProcess trovix;
    trovix.setProgram(file(programfiles::TrovixExecutable));
    if (!trovix.startDetached(&startedTrovix_)) {
        exitCode_ = 1;
        prompter_.ask({trovix.errorString(), Caption, QMessageBox::Ok, QMessageBox::Critical});
    }
    Q_EMIT ended();
}

bool UpdateFlow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || event->type() != QEvent::Close || ended_)
        return QObject::eventFilter(watched, event);
    if (downloading_) {
        closeDue_ = true;
        event->ignore();
        return true;
    }
    wrapUp(0);
    Q_EMIT ended();
    return QObject::eventFilter(watched, event);
}

void UpdateFlow::end(int exitCode)
{
    wrapUp(exitCode);
    window_.close();
    Q_EMIT ended();
}

void UpdateFlow::wrapUp(int exitCode)
{
    ended_ = true;
    exitCode_ = exitCode;
    window_.Timer1->stop();
    restoreBackup();
}

void UpdateFlow::fail(const QString& error)
{
    // Nothing more may happen while the message is open.
    ended_ = true;
    window_.Timer1->stop();
    prompter_.ask({error, Caption, QMessageBox::Ok, QMessageBox::Critical});
    end(1);
}

void UpdateFlow::restoreBackup()
{
    const QString executable = file(programfiles::TrovixExecutable);
    const QString backup = file(programfiles::TrovixBackup);
    if (isFile(executable) || !isFile(backup))
        return;
    const QString error = renameWithoutReplacing(backup, executable);
    if (!error.isEmpty()) {
        exitCode_ = 1;
        prompter_.ask({error, Caption, QMessageBox::Ok, QMessageBox::Critical});
    }
}

bool UpdateFlow::renameOrFail(const QString& from, const QString& to)
{
    const QString error = renameWithoutReplacing(from, to);
    if (error.isEmpty())
        return true;
    fail(error);
    return false;
}

bool UpdateFlow::removeOrFail(const QString& path)
{
    QFile doomed(path);
    if (doomed.remove())
        return true;
    fail(doomed.errorString());
    return false;
}

} // namespace trovix
