#include "engine/DevToolsSession.h"

namespace trovix {

DevToolsSession::DevToolsSession(DevToolsConnection& connection, const QString& id)
    : QObject(&connection), connection_(connection), id_(id)
{
}

void DevToolsSession::send(const QString& method, const QJsonObject& params, DevToolsReplyHandler done)
{
    connection_.send(method, params, std::move(done), id_);
}

} // namespace trovix
