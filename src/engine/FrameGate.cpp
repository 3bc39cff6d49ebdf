#include "engine/FrameGate.h"

#include <QUrl>

namespace trovix {

namespace {

QString withoutWww(const QString& host)
{
    return host.startsWith(QLatin1String("www.")) ? host.mid(4) : host;
}

} // namespace

FrameGate::FrameGate(const QStringList& aggregatorHosts, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent)
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

void FrameGate::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeSubFrame)
        return;
    const QString host = info.requestUrl().host();
    // The engine's own documents (about:blank, data:) have no host and no network.
    if (host.isEmpty() || sameSite(host, info.firstPartyUrl().host()))
        return;
    if (!aggregatorHosts_.contains(host.toLower()))
        info.block(true);
}

} // namespace trovix
