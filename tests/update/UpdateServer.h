#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// The update server on loopback, able to misbehave: "/update.ini", "/update/Trovix"
// and "/update/Trovix.minisig", each answered by a queue of responses whose last one
// is repeated. A response can leave out its length, stop half-way and close or hang,
// or wait until the test releases it.
class UpdateServer : public QObject {
    Q_OBJECT
public:
    static inline const QByteArray VersionPath = "/update.ini";
    static inline const QByteArray ExecutablePath = "/update/Trovix";
    static inline const QByteArray SignaturePath = "/update/Trovix.minisig";

    struct Response {
        int status = 200;
        QByteArray contentType = "application/octet-stream";
        QByteArray body;
        bool announceLength = true;
        qsizetype sentBytes = -1; // -1: the whole body
        bool hang = false;        // hold the connection open once sent, instead of closing it
        bool held = false;        // answer only after release()
    };

    UpdateServer();
    ~UpdateServer() override;

    QUrl versionUrl() const { return urlOf(VersionPath); }
    QUrl executableUrl() const { return urlOf(ExecutablePath); }
    QUrl signatureUrl() const { return urlOf(SignaturePath); }

    static Response ok(const QByteArray& body);
    static Response status(int code);
    static Response webPage();
    // Announces the whole length, sends half and closes.
    static Response cutOff(const QByteArray& body);
    // Sends half without any length and closes, as if that were all.
    static Response cutOffUnannounced(const QByteArray& body);
    // Sends half and then neither sends nor closes.
    static Response hangHalfWay(const QByteArray& body);
    static Response versionFile(const QByteArray& version);
    static Response held(Response response);

    // Answers every held request.
    void release();

    int requests(const QByteArray& path) const { return requests_.value(path); }

    QMap<QByteArray, QList<Response>> responses;

Q_SIGNALS:
    // A request arrived; emitted before it is answered.
    void requested(const QByteArray& path);
    // The part of a hanging response has been sent.
    void hanging(const QByteArray& path);

private:
    QUrl urlOf(const QByteArray& path) const;
    void onNewConnection();
    void answer(QTcpSocket* socket, const QByteArray& path, const Response& response);
    Response next(const QByteArray& path);

    QTcpServer server_;
    QMap<QByteArray, int> requests_;
    struct Held {
        QPointer<QTcpSocket> socket;
        QByteArray path;
        Response response;
    };
    QList<Held> held_;
};
