#include "UpdateServer.h"

UpdateServer::UpdateServer()
    : http([this](const LoopbackHttpServer::Request& request) {
          if (request.path == "/update.ini")
              return next(versionResponses);
          if (request.path == "/update/Trovix") {
              ++executableRequests;
              if (onExecutableRequest)
                  onExecutableRequest();
              return next(executableResponses);
          }
          return status(404);
      })
{
    http.listen();
}

QUrl UpdateServer::versionUrl() const
{
    return QUrl(QStringLiteral("http://%1/update.ini").arg(http.hostA()));
}

QUrl UpdateServer::executableUrl() const
{
    return QUrl(QStringLiteral("http://%1/update/Trovix").arg(http.hostA()));
}

UpdateServer::Response UpdateServer::ok(const QByteArray& body)
{
    Response response;
    response.contentType = "application/octet-stream";
    response.body = body;
    return response;
}

UpdateServer::Response UpdateServer::status(int code)
{
    Response response;
    response.status = code;
    response.body = "<html><body><h1>" + QByteArray::number(code) + "</h1></body></html>";
    return response;
}

UpdateServer::Response UpdateServer::cutOff(const QByteArray& body)
{
    Response response = ok(body);
    response.cutOff = true;
    return response;
}

UpdateServer::Response UpdateServer::versionFile(const QByteArray& version)
{
    return ok("; Trovix update server\r\n[Ver]\r\nnew=" + version + "\r\n");
}

UpdateServer::Response UpdateServer::next(QList<Response>& queue)
{
    return queue.size() > 1 ? queue.takeFirst() : queue.constFirst();
}
