#pragma once

#include "update/FileDownloader.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <chrono>

namespace trovix {

class Form3;
class Prompter;

// The updater's work on its window: the check at start-up, then one timer tick a
// second that downloads the new Trovix and, once it is in place, hands over to it.
// The folder never lacks a working Trovix: the old executable stays as a backup until
// the new one is complete and in place, and closing the window before that puts the
// backup back.
class UpdateFlow final : public QObject {
    Q_OBJECT
public:
    struct Settings {
        QString programFolder;
        QUrl versionUrl;
        QUrl executableUrl;
        std::chrono::milliseconds tickInterval{1000};
        std::chrono::milliseconds termWait{3000}; // for Trovix to end after SIGTERM
        std::chrono::milliseconds killWait{2000}; // and after SIGKILL
        std::chrono::milliseconds stallTimeout{30000};

        // The running program's folder and the configured addresses.
        static Settings fromConfiguration();
    };

    UpdateFlow(Form3& window, Settings settings, Prompter& prompter, QObject* parent = nullptr);

    // The start-up steps; they run before the window is first shown.
    void start();

    bool hasEnded() const { return ended_; }
    int exitCode() const { return exitCode_; }
    qint64 startedTrovix() const { return startedTrovix_; }

Q_SIGNALS:
    // The window has closed, the work is over and the program may end.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTick();
    void downloadTrovix();
    void handOver();
    void end(int exitCode);
    void wrapUp(int exitCode);
    void fail(const QString& error);
    bool renameOrFail(const QString& from, const QString& to);
    bool removeOrFail(const QString& file);
    void restoreBackup();
    QString file(const QString& name) const;

    Form3& window_;
    Settings settings_;
    Prompter& prompter_;
    FileDownloader downloader_;
    bool downloading_ = false;
    bool tickDue_ = false;
    bool closeDue_ = false;
    bool ended_ = false;
    int exitCode_ = 0;
    qint64 startedTrovix_ = 0;
};

} // namespace trovix
