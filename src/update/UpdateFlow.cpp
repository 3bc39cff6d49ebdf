#include "update/UpdateFlow.h"

#include "common/Configuration.h"
#include "common/ProgramFolder.h"
#include "common/Prompter.h"
#include "update/Download.h"
#include "update/ExecutableProcesses.h"
#include "update/Form3.h"
#include "update/InstalledVersion.h"
#include "update/ProcessStopper.h"
#include "update/VersionComparison.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProcess>
#include <QTimer>

namespace trovix {

namespace {

const QString UpdateFound = QStringLiteral("程序有更新！");
const QString Preparing = QStringLiteral("正在准备更新.....请稍候");
const QString CheckFailed = QStringLiteral("无法检查更新");
const QString UnknownInstalled = QStringLiteral("无法确定已安装的版本，不安装更新");
const QString NoKey = QStringLiteral("缺少更新公钥，无法安装更新");
const QString Refused = QStringLiteral("更新文件签名无效，已拒绝安装");
const QString InstallFailed = QStringLiteral("更新失败，原程序未改动");
const QString Caption = QStringLiteral("更新");

constexpr qint64 TextLimit = 64 * 1024;
constexpr qint64 ExecutableLimit = qint64(1) << 30;

constexpr QFileDevice::Permissions Executable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

} // namespace

UpdateFlow::Settings UpdateFlow::Settings::fromConfiguration()
{
    Settings settings(ProgramFolder::ofRunningExecutable());
    settings.versionUrl = QUrl(config::updateVersionUrl());
    settings.executableUrl = QUrl(config::updateExecutableUrl());
    settings.signatureUrl = QUrl(config::updateSignatureUrl());
    settings.publicKey = config::updatePublicKey().toLatin1();
    return settings;
}

UpdateFlow::UpdateFlow(Form3& window, Settings settings, Prompter& prompter, Checkpoint checkpoint,
                       QObject* parent)
    : QObject(parent), window_(window), settings_(std::move(settings)), prompter_(prompter),
      checkpoint_(std::move(checkpoint)), folder_(settings_.programFolder)
{
    window_.Timer1->setInterval(settings_.tickInterval);
    connect(window_.Timer1, &QTimer::timeout, this, &UpdateFlow::onTick);
    window_.installEventFilter(this);
}

UpdateFlow::~UpdateFlow()
{
    dropTransfers();
}

void UpdateFlow::start()
{
    if (!folder_.lock()) {
        stage_ = Stage::Ended;
        return;
    }
    cleanLeftovers();
    stage_ = Stage::Checking;
    versionFile_.open(QIODevice::WriteOnly);
    transfer_ =
        new Download(network_, settings_.versionUrl, versionFile_, {TextLimit, settings_.stallTimeout}, this);
    connect(transfer_, &Download::finished, this, &UpdateFlow::onVersionFetched);
}

void UpdateFlow::cleanLeftovers()
{
    // An updater of an earlier build, ended half-way, left Trovix only under its backup name.
    if (!folder_.holdsFile(programfiles::TrovixExecutable))
        folder_.moveWithoutReplacing(programfiles::TrovixBackup, programfiles::TrovixExecutable);
    if (folder_.holdsFile(programfiles::TrovixExecutable))
        folder_.remove(programfiles::TrovixBackup);
    folder_.remove(programfiles::TrovixScratch);
    folder_.remove(programfiles::OfferedVersionScratch);
}

void UpdateFlow::onVersionFetched(bool succeeded)
{
    releaseTransfer();
    // An old update.ini says nothing about what the server offers today, and a file
    // that offers no version is no reason to take Trovix down.
    if (succeeded) {
        const QString error = folder_.replaceContent(
            programfiles::OfferedVersionFile, programfiles::OfferedVersionScratch, versionFile_.data());
        if (error.isEmpty())
            offeredVersion_ = readOfferedVersion(settings_.programFolder);
    }
    if (offeredVersion_.isEmpty()) {
        settle(CheckFailed, 0);
        return;
    }
    if (!isVersion(offeredVersion_)) {
        settle({}, 0);
        return;
    }
    // Without the installed version, any build the key ever signed could be an older one.
    const QByteArray installed = installedVersion(settings_.programFolder);
    if (installed.isEmpty()) {
        settle(UnknownInstalled, 1);
        return;
    }
    if (!isHigherVersion(offeredVersion_, installed)) {
        settle({}, 0);
        return;
    }
    window_.Label2->setText(UpdateFound);
    window_.Label1->setText(Preparing);
    key_ = minisign::PublicKey::fromBase64(settings_.publicKey);
    if (!key_) {
        settle(NoKey, 1);
        return;
    }
    stage_ = Stage::Fetching;
    window_.Timer1->start();
    window_.show();
}

void UpdateFlow::onTick()
{
    if (stage_ != Stage::Fetching || transfer_)
        return;
    window_.Label1->setText(Preparing);
    signature_.close();
    signature_.setData({});
    signature_.open(QIODevice::WriteOnly);
    transfer_ =
        new Download(network_, settings_.signatureUrl, signature_, {TextLimit, settings_.stallTimeout}, this);
    connect(transfer_, &Download::finished, this, &UpdateFlow::onSignatureFetched);
}

void UpdateFlow::onSignatureFetched(bool succeeded)
{
    releaseTransfer();
    // A failed transfer is tried again at the next tick.
    if (!succeeded)
        return;
    scratch_.setFileName(folder_.path(programfiles::TrovixScratch));
    if (!scratch_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(scratch_.errorString());
        return;
    }
    transfer_ = new Download(network_, settings_.executableUrl, scratch_,
                             {ExecutableLimit, settings_.stallTimeout}, this);
    connect(transfer_, &Download::finished, this, &UpdateFlow::onExecutableFetched);
}

void UpdateFlow::onExecutableFetched(bool succeeded)
{
    releaseTransfer();
    QString error;
    if (succeeded)
        error = scratch_.setPermissions(Executable) ? UpdateFolder::seal(scratch_) : scratch_.errorString();
    scratch_.close();
    if (!succeeded || !error.isEmpty())
        folder_.remove(programfiles::TrovixScratch);
    if (!succeeded)
        return;
    if (!error.isEmpty()) {
        fail(error);
        return;
    }
    // What was signed for another build, or by anyone else, would be the same next time.
    const minisign::Release release{offeredVersion_,
                                    ProgramFolder::relative(programfiles::TrovixExecutable).toLatin1()};
    if (minisign::verifyFile(*key_, signature_.data(), folder_.path(programfiles::TrovixScratch), release) !=
        minisign::Verdict::Valid) {
        folder_.remove(programfiles::TrovixScratch);
        settle(Refused, 1);
        return;
    }
    acceptVerifiedBuild();
}

void UpdateFlow::acceptVerifiedBuild()
{
    reached("verified");
    stage_ = Stage::Stopping;
    window_.Timer1->stop();
    const ExecutableProcesses trovix(folder_.path(programfiles::TrovixExecutable));
    trovixWasRunning_ = !trovix.running().isEmpty();
    stopper_ = new ProcessStopper(settings_.termWait, settings_.killWait, this);
    connect(stopper_, &ProcessStopper::finished, this, &UpdateFlow::onTrovixStopped);
    stopper_->stop(trovix);
    reached("stopping");
}

void UpdateFlow::onTrovixStopped(bool allEnded)
{
    if (!allEnded) {
        folder_.remove(programfiles::TrovixScratch);
        settle(InstallFailed, 1);
        return;
    }
    reached("stopped");
    const bool trovixPresent = folder_.holdsFile(programfiles::TrovixExecutable);
    const QString error =
        trovixPresent
            ? folder_.exchange(programfiles::TrovixScratch, programfiles::TrovixExecutable)
            : folder_.moveWithoutReplacing(programfiles::TrovixScratch, programfiles::TrovixExecutable);
    if (!error.isEmpty()) {
        restartTrovix();
        fail(error);
        return;
    }
    reached("swapped");
    handOver(trovixPresent);
}

void UpdateFlow::handOver(bool oldBuildKept)
{
    window_.Timer1->stop();
    window_.close();
    QProcess trovix;
    trovix.setProgram(folder_.path(programfiles::TrovixExecutable));
    if (trovix.startDetached(&startedTrovix_)) {
        reached("started");
        end(0);
        return;
    }
    startedTrovix_ = 0;
    // The old build goes back to where it was, rather than a build that cannot start.
    if (oldBuildKept &&
        folder_.exchange(programfiles::TrovixScratch, programfiles::TrovixExecutable).isEmpty())
        restartTrovix();
    fail(trovix.errorString());
}

void UpdateFlow::reached(const char* point)
{
    if (checkpoint_)
        checkpoint_(point);
}

void UpdateFlow::restartTrovix()
{
    if (trovixWasRunning_)
        QProcess::startDetached(folder_.path(programfiles::TrovixExecutable));
}

bool UpdateFlow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || event->type() != QEvent::Close)
        return QObject::eventFilter(watched, event);
    // Trovix is already being stopped: the new build goes in at once rather than
    // leaving no Trovix running.
    if (stage_ == Stage::Stopping)
        stopper_->hurry();
    else if (stage_ != Stage::Ended)
        end(stage_ == Stage::Showing ? exitCode_ : 0);
    return QObject::eventFilter(watched, event);
}

void UpdateFlow::settle(const QString& verdict, int exitCode)
{
    dropTransfers();
    stage_ = Stage::Showing;
    exitCode_ = exitCode;
    window_.Timer1->stop();
    if (!verdict.isEmpty())
        window_.Label2->setText(verdict);
    window_.Label1->clear();
    window_.show();
}

void UpdateFlow::fail(const QString& error)
{
    settle(InstallFailed, 1);
    prompter_.ask({error, Caption, QMessageBox::Ok, QMessageBox::Critical});
    end(1);
}

void UpdateFlow::end(int exitCode)
{
    if (stage_ == Stage::Ended)
        return;
    dropTransfers();
    stage_ = Stage::Ended;
    exitCode_ = exitCode;
    window_.Timer1->stop();
    // Unchecked, or the old build once the new one runs.
    folder_.remove(programfiles::TrovixScratch);
    window_.close();
    Q_EMIT ended();
}

void UpdateFlow::releaseTransfer()
{
    transfer_->deleteLater();
    transfer_ = nullptr;
}

void UpdateFlow::dropTransfers()
{
    delete transfer_.data();
    if (scratch_.isOpen()) {
        scratch_.close();
        folder_.remove(programfiles::TrovixScratch);
    }
}

} // namespace trovix
