#pragma once

#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

namespace trovix {

class DevToolsSession;
class PipeTransport;

// A reply to one command: its result, or why there is none (the browser's error, or
// the connection gone before the reply came).
struct DevToolsReply {
    bool ok = false;
    QJsonObject result;
    QString error;
};
using DevToolsReplyHandler = std::function<void(const DevToolsReply&)>;

// The DevTools protocol over a transport: numbers each command, hands each reply to the
// handler of its command, and routes events to the session of their target (events of
// the browser itself come out of browserEvent). When the transport closes, every command
// still waiting is answered, failed, in the order it was sent, and closed() follows.
// A message that is no JSON object, or a reply to no command, is passed over.
class DevToolsConnection final : public QObject {
    Q_OBJECT
public:
    // The transport becomes the connection's.
    explicit DevToolsConnection(PipeTransport* transport, QObject* parent = nullptr);
    ~DevToolsConnection() override;

    bool isOpen() const;
    void send(const QString& method, const QJsonObject& params = {}, DevToolsReplyHandler done = {},
              const QString& sessionId = {});
    // The session of an attached target, made on first use; it goes when its target is
    // detached or the connection closes.
    DevToolsSession* session(const QString& sessionId);
    // Ends the connection: pending commands are answered as when the browser dies.
    void close();

Q_SIGNALS:
    void browserEvent(const QString& method, const QJsonObject& params);
    void closed();

private:
    void onMessage(const QByteArray& message);
    void onClosed();

    PipeTransport* transport_;
    quint64 lastId_ = 0;
    QMap<quint64, DevToolsReplyHandler> pending_;
    QHash<QString, DevToolsSession*> sessions_;
};

} // namespace trovix
