#include "engine/FrameGate.h"

#include <QUrl>

namespace trovix {

namespace {

QString withoutWww(const QString& host)
{
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

} // namespace

FrameGate::FrameGate(const QStringList& aggregatorHosts)
{
    for (const QString& host : aggregatorHosts)
        aggregatorHosts_ << QUrl(QStringLiteral("http://") + host).host().toLower();
}

bool FrameGate::sameSite(const QString& host, const QString& siteHost)
{
    const QString site = withoutWww(siteHost.toLower());
    const QString candidate = host.toLower();
    return !site.isEmpty() && (candidate == site || candidate.endsWith(QLatin1Char('.') + site));
}

bool FrameGate::allowsFrame(const QUrl& frame, const QUrl& top) const
{
    const QString host = frame.host();
    // The engine's own documents (about:blank, data:) have no host and no network.
    return host.isEmpty() || sameSite(host, top.host()) || aggregatorHosts_.contains(host.toLower());
}

} // namespace trovix
