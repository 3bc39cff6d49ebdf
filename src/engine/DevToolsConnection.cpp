#include "engine/DevToolsConnection.h"

#include "engine/DevToolsSession.h"
#include "engine/PipeTransport.h"

#include <QJsonDocument>
#include <QPointer>

#include <utility>

namespace trovix {

namespace {

const QString detachedEvent = QStringLiteral("Target.detachedFromTarget");
const QString goneError = QStringLiteral("the browser is gone");

} // namespace

DevToolsConnection::DevToolsConnection(PipeTransport* transport, QObject* parent)
    : QObject(parent), transport_(transport)
{
    transport_->setParent(this);
    connect(transport_, &PipeTransport::messageReceived, this, &DevToolsConnection::onMessage);
    connect(transport_, &PipeTransport::closed, this, &DevToolsConnection::onClosed);
}

DevToolsConnection::~DevToolsConnection()
{
    // Nobody is left to hear the answers.
    pending_.clear();
    transport_->close();
}

bool DevToolsConnection::isOpen() const
{
    return transport_->isOpen();
}

void DevToolsConnection::send(const QString& method, const QJsonObject& params, DevToolsReplyHandler done,
                              const QString& sessionId)
{
    const quint64 id = ++lastId_;
    if (!isOpen()) {
        // Answered later, like any reply, so that callers see one order of events.
        if (done)
            QMetaObject::invokeMethod(
                this,
                [done] {
                    done({false, {}, goneError});
                },
                Qt::QueuedConnection);
        return;
    }
    QJsonObject command{{QStringLiteral("id"), qint64(id)},
                        {QStringLiteral("method"), method},
                        {QStringLiteral("params"), params}};
    if (!sessionId.isEmpty())
        command.insert(QStringLiteral("sessionId"), sessionId);
    pending_.insert(id, std::move(done));
    transport_->send(QJsonDocument(command).toJson(QJsonDocument::Compact));
}

DevToolsSession* DevToolsConnection::session(const QString& sessionId)
{
    DevToolsSession*& session = sessions_[sessionId];
    if (!session)
        session = new DevToolsSession(*this, sessionId);
    return session;
}

void DevToolsConnection::close()
{
    if (isOpen()) {
        transport_->close();
        onClosed();
    }
}

void DevToolsConnection::onMessage(const QByteArray& message)
{
    const QJsonObject object = QJsonDocument::fromJson(message).object();
    if (object.isEmpty())
        return;
    const QJsonValue id = object.value(QStringLiteral("id"));
    if (!id.isUndefined()) {
        const DevToolsReplyHandler done = pending_.take(quint64(id.toInteger()));
        if (!done)
            return;
        const QJsonObject error = object.value(QStringLiteral("error")).toObject();
        done({error.isEmpty(), object.value(QStringLiteral("result")).toObject(),
              error.value(QStringLiteral("message")).toString()});
        return;
    }
    const QString method = object.value(QStringLiteral("method")).toString();
    const QJsonObject params = object.value(QStringLiteral("params")).toObject();
    const QString sessionId = object.value(QStringLiteral("sessionId")).toString();
    if (sessionId.isEmpty()) {
        QPointer<DevToolsConnection> self(this);
        Q_EMIT browserEvent(method, params);
        if (self && method == detachedEvent)
            delete sessions_.take(params.value(QStringLiteral("sessionId")).toString());
        return;
    }
    if (DevToolsSession* session = sessions_.value(sessionId))
        Q_EMIT session->event(method, params);
}

void DevToolsConnection::onClosed()
{
    QPointer<DevToolsConnection> self(this);
    while (self && !pending_.isEmpty()) {
        const DevToolsReplyHandler done = pending_.take(pending_.firstKey());
        if (done)
            done({false, {}, goneError});
    }
    if (!self)
        return;
    qDeleteAll(std::exchange(sessions_, {}));
    Q_EMIT closed();
}

} // namespace trovix
