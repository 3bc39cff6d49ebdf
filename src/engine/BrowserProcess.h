#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace trovix {

class PipeTransport;

// Chromium as a child of this process, driven over the DevTools pipe: the child reads on
// its descriptor 3 and writes on 4, and holds no other descriptor of ours, so nothing
// else can reach the pipe. It dies with us: the pipe's end of file ends it, and so does
// the parent-death signal. Its profile folder is ours alone (0700), removed when it ends.
class BrowserProcess final : public QObject {
    Q_OBJECT
public:
    explicit BrowserProcess(QObject* parent = nullptr);
    ~BrowserProcess() override;

    // TROVIX_BROWSER when set; otherwise the headless shell's binary, not Debian's script
    // around it, then chromium. Empty when there is none.
    static QString chooseExecutable();
    // Profile folders that no running process of ours holds any more.
    static void removeStaleProfiles();

    // Starts the browser with these arguments after the pipe's and the profile's. Null,
    // with the reason, when it cannot be run; otherwise the pipe, which the caller owns.
    PipeTransport* start(const QString& executable, const QStringList& arguments, QString* error);
    qint64 pid() const { return pid_; }
    // Its page processes, by their command line.
    QList<qint64> rendererPids() const;
    // Kills the browser and its children, waits for it and removes the profile.
    void end();

private:
    qint64 pid_ = 0;
    QString profile_;
};

} // namespace trovix
