#pragma once

#include "update/MinisignSignature.h"
#include "update/UpdateFolder.h"

#include <QBuffer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace trovix {

class Download;
class Form3;
class ProcessStopper;
class Prompter;

// The updater's work on its window: the check at start-up, then one timer tick a
// second that fetches the offered build and its signature until both have arrived.
// A build goes in only when the configured key signed it for the offered version;
// only then is the folder's Trovix stopped, and the new build trades places with the
// old one in one step, so the folder always holds a complete Trovix. Closing the
// window ends every transfer at once and leaves the folder as it was.
class UpdateFlow final : public QObject {
    Q_OBJECT
public:
    struct Settings {
        explicit Settings(ProgramFolder folder) : programFolder(std::move(folder)) {}

        ProgramFolder programFolder;
        QUrl versionUrl;
        QUrl executableUrl;
        QUrl signatureUrl;
        QByteArray publicKey; // the base64 line of a minisign public key
        std::chrono::milliseconds tickInterval{1000};
        std::chrono::milliseconds termWait{3000}; // for Trovix to end after SIGTERM
        std::chrono::milliseconds killWait{2000}; // and after SIGKILL
        std::chrono::milliseconds stallTimeout{30000};

        // The running program's folder and the configured addresses and key.
        static Settings fromConfiguration();
    };

    // Told each point of the hand-over where the program could be ended ("verified",
    // "stopping", "stopped", "swapped", "started"), so tests can end it there.
    using Checkpoint = std::function<void(const char* point)>;

    UpdateFlow(Form3& window, Settings settings, Prompter& prompter, Checkpoint checkpoint = {},
               QObject* parent = nullptr);
    ~UpdateFlow() override;

    // Takes the folder and starts the check; the window appears once the check is done.
    // Another updater working on the folder ends this one at once.
    void start();

    bool hasEnded() const { return stage_ == Stage::Ended; }
    int exitCode() const { return exitCode_; }
    qint64 startedTrovix() const { return startedTrovix_; }

Q_SIGNALS:
    // The window has closed, the work is over and the program may end.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Stage { Idle, Checking, Showing, Fetching, Stopping, Ended };

    void cleanLeftovers();
    void onVersionFetched(bool succeeded);
    void onTick();
    void onSignatureFetched(bool succeeded);
    void onExecutableFetched(bool succeeded);
    void acceptVerifiedBuild();
    void onTrovixStopped(bool allEnded);
    void handOver(bool oldBuildKept);
    void reached(const char* point);
    void restartTrovix();
    void settle(const QString& verdict, int exitCode);
    void fail(const QString& error);
    void end(int exitCode);
    // The finished transfer goes; dropTransfers() ends the one under way.
    void releaseTransfer();
    void dropTransfers();

    Form3& window_;
    Settings settings_;
    Prompter& prompter_;
    Checkpoint checkpoint_;
    UpdateFolder folder_;
    QNetworkAccessManager network_;
    Stage stage_ = Stage::Idle;
    QByteArray offeredVersion_;
    std::optional<minisign::PublicKey> key_;
    QBuffer versionFile_;
    QBuffer signature_;
    QFile scratch_;
    QPointer<Download> transfer_;
    ProcessStopper* stopper_ = nullptr;
    bool trovixWasRunning_ = false;
    int exitCode_ = 0;
    qint64 startedTrovix_ = 0;
};

} // namespace trovix
