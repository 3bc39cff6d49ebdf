#pragma once

#include "engine/DevToolsConnection.h"

namespace trovix {

// One attached target: commands sent to it, and its events.
class DevToolsSession final : public QObject {
    Q_OBJECT
public:
    DevToolsSession(DevToolsConnection& connection, const QString& id);

    const QString& id() const { return id_; }
    void send(const QString& method, const QJsonObject& params = {}, DevToolsReplyHandler done = {});

Q_SIGNALS:
    void event(const QString& method, const QJsonObject& params);

private:
    DevToolsConnection& connection_;
    QString id_;
};

} // namespace trovix
