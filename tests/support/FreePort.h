#pragma once

#include <QTcpServer>

// A loopback port that nothing listened on a moment ago, or 0. Only for tests that link
// Qt Network.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}
