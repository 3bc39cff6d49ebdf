#include "UpdateServer.h"

#include <QTcpSocket>

#include <memory>
#include <utility>

UpdateServer::UpdateServer()
{
    responses = {
        {VersionPath, {status(404)}}, {ExecutablePath, {status(404)}}, {SignaturePath, {status(404)}}};
    connect(&server_, &QTcpServer::newConnection, this, &UpdateServer::onNewConnection);
    server_.listen(QHostAddress::LocalHost);
}

UpdateServer::~UpdateServer()
{
    for (QTcpSocket* socket : server_.findChildren<QTcpSocket*>())
        socket->abort();
}

QUrl UpdateServer::urlOf(const QByteArray& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QLatin1String(path)));
}

UpdateServer::Response UpdateServer::ok(const QByteArray& body)
{
    Response response;
    response.body = body;
    return response;
}

UpdateServer::Response UpdateServer::status(int code)
{
    Response response = webPage();
    response.status = code;
    return response;
}

UpdateServer::Response UpdateServer::webPage()
{
    Response response;
    response.contentType = "text/html; charset=utf-8";
    response.body = "<!DOCTYPE html><html><head><title>Welcome</title></head>"
                    "<body><h1>Sign in to use this network</h1></body></html>";
    return response;
}

UpdateServer::Response UpdateServer::cutOff(const QByteArray& body)
{
    Response response = ok(body);
    response.sentBytes = body.size() / 2;
    return response;
}

UpdateServer::Response UpdateServer::cutOffUnannounced(const QByteArray& body)
{
    Response response = cutOff(body);
    response.announceLength = false;
    return response;
}

UpdateServer::Response UpdateServer::hangHalfWay(const QByteArray& body)
{
    Response response = cutOff(body);
    response.hang = true;
    return response;
}

UpdateServer::Response UpdateServer::versionFile(const QByteArray& version)
{
    Response response = ok("; Trovix update server\r\n[Ver]\r\nnew=" + version + "\r\n");
    response.contentType = "text/plain";
    return response;
}

UpdateServer::Response UpdateServer::held(Response response)
{
    response.held = true;
    return response;
}

void UpdateServer::release()
{
    const QList<Held> waiting = std::exchange(held_, {});
    for (const Held& request : waiting) {
        if (request.socket)
            answer(request.socket, request.path, request.response);
    }
}

UpdateServer::Response UpdateServer::next(const QByteArray& path)
{
    QList<Response>& queue = responses[path];
    if (queue.isEmpty())
        return status(404);
    return queue.size() > 1 ? queue.takeFirst() : queue.constFirst();
}

void UpdateServer::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(&server_);
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, received] {
            received->append(socket->readAll());
            if (!received->contains("\r\n\r\n"))
                return;
            disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
            const QByteArray path = received->left(received->indexOf("\r\n")).split(' ').value(1);
            ++requests_[path];
            const Response response = next(path);
            Q_EMIT requested(path);
            if (response.held)
                held_.append({socket, path, response});
            else
                answer(socket, path, response);
        });
    }
}

void UpdateServer::answer(QTcpSocket* socket, const QByteArray& path, const Response& response)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    if (response.announceLength)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(response.sentBytes < 0 ? response.body : response.body.left(response.sentBytes));
    socket->flush();
    if (response.hang)
        Q_EMIT hanging(path);
    else
        socket->disconnectFromHost();
}
