#pragma once

#include <QStringList>

class QUrl;

namespace trovix {

// Lets a frame load only from the top document's own site or from an aggregator host:
// adverts and other sites' pages in frames never reach the engine. Scripts and other
// resources of the page itself load as they would, from wherever the page names.
//
// Without a list of public suffixes, the top document's site here is its host and its
// subdomains, a leading "www." left aside: "www.example.cn" lets "static.example.cn"
// in, never "other.cn". An aggregator host lets in itself only.
class FrameGate final {
public:
    // Hosts as configured, possibly with a port.
    explicit FrameGate(const QStringList& aggregatorHosts);

    bool allowsFrame(const QUrl& frame, const QUrl& top) const;

    static bool sameSite(const QString& host, const QString& siteHost);

private:
    QStringList aggregatorHosts_;
};

} // namespace trovix
