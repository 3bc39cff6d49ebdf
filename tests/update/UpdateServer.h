#pragma once

#include "LoopbackHttpServer.h"

#include <QList>
#include <QUrl>

#include <functional>

// The update server on loopback: "/update.ini" and "/update/Trovix", each answered by
// a queue of responses whose last one is repeated.
class UpdateServer {
public:
    using Response = LoopbackHttpServer::Response;

    UpdateServer();

    QUrl versionUrl() const;
    QUrl executableUrl() const;

    static Response ok(const QByteArray& body);
    static Response status(int code);
    static Response cutOff(const QByteArray& body);
    static Response versionFile(const QByteArray& version);

    QList<Response> versionResponses{status(404)};
    QList<Response> executableResponses{status(404)};
    int executableRequests = 0;
    // Runs inside every request for the executable, before it is answered.
    std::function<void()> onExecutableRequest;

    LoopbackHttpServer http;

private:
    static Response next(QList<Response>& queue);
};
