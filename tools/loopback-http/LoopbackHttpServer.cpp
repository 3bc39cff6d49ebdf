#include "LoopbackHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

void addQueryItems(QMap<QString, QString>& into, const QByteArray& encoded)
{
    QByteArray plusless = encoded;
    plusless.replace('+', ' ');
    const QUrlQuery query(QString::fromUtf8(plusless));
    for (const auto& item : query.queryItems(QUrl::FullyDecoded))
        into.insert(item.first, item.second);
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler))
{
    connect(&server_, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

bool LoopbackHttpServer::listen(quint16 port)
{
    return server_.listen(QHostAddress::LocalHost, port);
}

quint16 LoopbackHttpServer::port() const
{
    return server_.serverPort();
}

QString LoopbackHttpServer::hostA() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString LoopbackHttpServer::hostB() const
{
    return QStringLiteral("localhost:%1").arg(port());
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int headerEnd = buffer->indexOf("\r\n\r\n");
            if (headerEnd < 0)
                return;
            const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
            Request request;
            const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
            request.method = requestLine.value(0);
            const QByteArray target = requestLine.value(1);
            const int question = target.indexOf('?');
            request.path = QUrl::fromPercentEncoding(question < 0 ? target : target.left(question)).toUtf8();
            if (question >= 0)
                addQueryItems(request.query, target.mid(question + 1));
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines.at(i).indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                           lines.at(i).mid(colon + 1).trimmed());
            }
            const int bodyLength = request.headers.value("content-length").toInt();
            if (buffer->size() < headerEnd + 4 + bodyLength)
                return;
            if (bodyLength > 0)
                addQueryItems(request.query, buffer->mid(headerEnd + 4, bodyLength));
            disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

            const Response response = handler_(request);
            Q_EMIT requestServed(request);
            QPointer<QTcpSocket> guarded(socket);
            QTimer::singleShot(response.delayMs, this, [guarded, response] {
                if (!guarded)
                    return;
                QByteArray head = "HTTP/1.0 " + QByteArray::number(response.status) + ' ' +
                                  reasonPhrase(response.status) + "\r\n";
                head += "Content-Type: " + response.contentType + "\r\n";
                head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
                for (auto it = response.headers.begin(); it != response.headers.end(); ++it)
                    head += it.key() + ": " + it.value() + "\r\n";
                head += "Connection: close\r\n\r\n";
                guarded->write(head);
                guarded->write(response.cutOff ? response.body.left(response.body.size() / 2)
                                               : response.body);
                guarded->disconnectFromHost();
            });
        });
    }
}
