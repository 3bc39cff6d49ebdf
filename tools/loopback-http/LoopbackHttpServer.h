#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QTcpServer>

#include <functional>

// A small HTTP/1.0 server for the demo and the tests. It listens on 127.0.0.1 only,
// answers one request per connection and closes it.
class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray path;                      // without the query
        QMap<QString, QString> query;         // decoded query items (also a form body)
        QMap<QByteArray, QByteArray> headers; // names in lower case
    };

    struct Response {
        int status = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        int delayMs = 0;     // answer after this long
        bool cutOff = false; // announce the full length, send half, then close
        QMap<QByteArray, QByteArray> headers;
    };

    using Handler = std::function<Response(const Request&)>;

    explicit LoopbackHttpServer(Handler handler, QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 picks a free one. Returns false when it cannot.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "127.0.0.1:PORT"
    QString hostA() const;
    // "localhost:PORT"
    QString hostB() const;

Q_SIGNALS:
    void requestServed(const LoopbackHttpServer::Request& request);

private:
    void onNewConnection();

    Handler handler_;
    QTcpServer server_;
};
