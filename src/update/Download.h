#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

namespace trovix {

// One transfer of an address into a device, driven by the network signals: nothing
// waits for it, and abort() ends it at once. It succeeds only without a network
// error, with an HTTP success status, with every byte the server announced and no
// more than the limit.
class Download final : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes;
        // A transfer that receives nothing for this long fails.
        std::chrono::milliseconds stallTimeout;
    };

    // Starts at once; sink must stay open until finished() or abort().
    Download(QNetworkAccessManager& network, const QUrl& from, QIODevice& sink, Limits limits,
             QObject* parent = nullptr);
    ~Download() override;

    // Ends the transfer without a finished() signal.
    void abort();

    // Why the transfer failed.
    QString errorString() const { return error_; }

Q_SIGNALS:
    void finished(bool succeeded);

private:
    void onReadyRead();
    void onFinished();

    QPointer<QNetworkReply> reply_;
    QIODevice& sink_;
    Limits limits_;
    qint64 received_ = 0;
    QString error_;
};

} // namespace trovix
