#include "SampleAggregator.h"

#include "PageTemplates.h"
#include "SampleCouriers.h"
#include "TrackingHistories.h"

#include <QFile>
#include <QRegularExpression>

#include <limits>

namespace {

const QString slowPrefix = QStringLiteral("SLOW");
const QString advertPrefix = QStringLiteral("ADS");

// A number with the slow or the advert prefix stands for the number after it.
QString withoutPrefix(const QString& number)
{
    for (const QString& prefix : {slowPrefix, advertPrefix}) {
        if (number.startsWith(prefix))
            return number.mid(prefix.size());
    }
    return number;
}

LoopbackHttpServer::Response htmlResponse(QByteArray body, int status = 200)
{
    LoopbackHttpServer::Response response;
    response.status = status;
    response.body = std::move(body);
    response.headers.insert("Cache-Control", "no-store");
    return response;
}

// "/all/ems.html" with the prefix "/all/" gives "ems".
QString slugOf(const QString& path, const QString& prefix)
{
    static const QRegularExpression page(QStringLiteral("^([a-z]+)\\.html$"));
    if (!path.startsWith(prefix))
        return {};
    const QRegularExpressionMatch match = page.match(path.mid(prefix.size()));
    return match.hasMatch() ? match.captured(1) : QString();
}

QByteArray trackingPage(const SampleCourier& courier, bool resultsInPage, const QString& scripts)
{
    const bool telephone = courier.codeField == QLatin1String("valicodetel");
    return PageTemplates::sitePage(
        courier.name + QStringLiteral("查询"),
        resultsInPage ? QStringLiteral("tracking-inpage") : QStringLiteral("tracking"),
        {{QStringLiteral("name"), courier.name},
         {QStringLiteral("slug"), courier.slug},
         {QStringLiteral("codeField"), courier.codeField},
         {QStringLiteral("codeLabel"), telephone ? QStringLiteral("电话号码：") : QStringLiteral("验证码：")},
         {QStringLiteral("codeHint"),
          telephone ? QStringLiteral("请输入收件人或寄件人的电话号码") : QStringLiteral("本快递无需验证码")}},
        scripts);
}

// The result, as the content of a site page or as the fragment an in-page query writes.
QString resultContent(const SampleCourier& courier, const QString& number)
{
    const QList<HistoryEntry> history = trackingHistory(withoutPrefix(number));
    QString rows;
    for (const HistoryEntry& entry : history) {
        rows +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                .arg(entry.when.toHtmlEscaped(), entry.place.toHtmlEscaped(), entry.progress.toHtmlEscaped());
    }
    const QString advert =
        number.startsWith(advertPrefix)
            ? QStringLiteral(
                  "<iframe class=\"advert\" src=\"/ads/rotating.html\" width=\"300\" height=\"40\" "
                  "frameborder=\"0\"></iframe>\n")
            : QString();
    return PageTemplates::fill(history.isEmpty() ? QStringLiteral("noresult") : QStringLiteral("result"),
                               {{QStringLiteral("name"), courier.name},
                                {QStringLiteral("slug"), courier.slug},
                                {QStringLiteral("number"), number.toHtmlEscaped()},
                                {QStringLiteral("rows"), rows},
                                {QStringLiteral("advert"), advert}});
}

QByteArray resultPage(const SampleCourier& courier, const QString& number, const QString& scripts)
{
    return PageTemplates::sitePageAround(courier.name + QStringLiteral("查询结果"),
                                         resultContent(courier, number), scripts);
}

QByteArray hostileResource(const QString& file)
{
    QFile resource(QStringLiteral(":/sample-aggregator/pages/hostile/") + file);
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

} // namespace

SampleAggregator::SampleAggregator(QObject* parent)
    : QObject(parent),
      server_([this](const LoopbackHttpServer::Request& request) { return answer(request); }),
      slowDelayMs_(7000)
{
}

bool SampleAggregator::listen(quint16 port)
{
    return server_.listen(port);
}

quint16 SampleAggregator::port() const
{
    return server_.port();
}

QString SampleAggregator::hostA() const
{
    return server_.hostA();
}

QString SampleAggregator::hostB() const
{
    return server_.hostB();
}

QString SampleAggregator::homePage() const
{
    return QStringLiteral("http://%1/home/").arg(hostA());
}

QList<SampleAggregator::Submission> SampleAggregator::submissions() const
{
    return submissions_;
}

void SampleAggregator::setSlowDelayMs(int ms)
{
    slowDelayMs_ = qMax(0, ms);
}

int SampleAggregator::slowDelayMs() const
{
    return slowDelayMs_;
}

void SampleAggregator::setResultsInPage(bool inPage)
{
    resultsInPage_ = inPage;
}

bool SampleAggregator::resultsInPage() const
{
    return resultsInPage_;
}

void SampleAggregator::setHostileScript(const QString& name, const QString& query)
{
    hostileScript_ = name;
    hostileScriptQuery_ = query;
}

QString SampleAggregator::hostileScriptTags() const
{
    if (hostileScript_.isEmpty())
        return {};
    return QStringLiteral("<script src=\"/hostile/report.js\"></script>\n"
                          "<script src=\"/hostile/%1.js%2\"></script>\n")
        .arg(hostileScript_,
             hostileScriptQuery_.isEmpty() ? QString() : QLatin1Char('?') + hostileScriptQuery_);
}

LoopbackHttpServer::Response SampleAggregator::answerHostile(const LoopbackHttpServer::Request& request)
{
    const QString path = QString::fromUtf8(request.path);
    if (path == QLatin1String(hostileReportPath)) {
        const Submission report{path, request.query};
        submissions_.append(report);
        Q_EMIT submitted(report);
        return htmlResponse({}, 204);
    }
    if (path == QLatin1String(hostileDownloadPath)) {
        LoopbackHttpServer::Response response = htmlResponse(QByteArray(64 * 1024, 'x'));
        response.contentType = "application/octet-stream";
        response.headers.insert("Content-Disposition",
                                "attachment; filename=\"trovix-hostile-download.bin\"");
        return response;
    }
    if (path == QLatin1String(hostileProtectedPath)) {
        LoopbackHttpServer::Response response = htmlResponse({}, 401);
        response.headers.insert("WWW-Authenticate", "Basic realm=\"trovix\"");
        return response;
    }
    if (path == QLatin1String("/hostile/stalled.gif")) {
        LoopbackHttpServer::Response response = htmlResponse({});
        response.delayMs = std::numeric_limits<int>::max();
        return response;
    }
    const QString file = path.mid(QStringLiteral("/hostile/").size());
    const QByteArray script = hostileResource(file);
    if (script.isEmpty())
        return htmlResponse({}, 404);
    LoopbackHttpServer::Response response = htmlResponse(script);
    response.contentType = "text/javascript; charset=utf-8";
    return response;
}

QStringList SampleAggregator::knownNumbers()
{
    return knownTrackingNumbers();
}

QStringList SampleAggregator::historyLines(const QString& number)
{
    const QList<HistoryEntry> history = trackingHistory(withoutPrefix(number));
    if (history.isEmpty())
        return {QString()};
    QStringList lines;
    for (const HistoryEntry& entry : history)
        lines << entry.when + QLatin1Char('\t') + entry.place + QLatin1Char('\t') + entry.progress;
    return lines;
}

LoopbackHttpServer::Response SampleAggregator::answer(const LoopbackHttpServer::Request& request)
{
    const QString path = QString::fromUtf8(request.path);
    Q_EMIT requestServed(QString::fromLatin1(request.method), path);

    if (const SampleCourier* courier = sampleCourierBySlug(slugOf(path, QStringLiteral("/all/")))) {
        LoopbackHttpServer::Response response =
            htmlResponse(trackingPage(*courier, resultsInPage_, hostileScriptTags()));
        if (hostileScript_ == QLatin1String("slow-page"))
            response.delayMs = hostileSlowPageMs;
        return response;
    }

    for (const QString& prefix : {QStringLiteral("/query/"), QStringLiteral("/track/")}) {
        const SampleCourier* courier = sampleCourierBySlug(slugOf(path, prefix));
        if (!courier)
            continue;
        const Submission submission{path, request.query};
        submissions_.append(submission);
        Q_EMIT submitted(submission);
        const QString number = request.query.value(QStringLiteral("postid"));
        LoopbackHttpServer::Response response = htmlResponse(
            prefix == QLatin1String("/query/") ? resultPage(*courier, number, hostileScriptTags())
                                               : resultContent(*courier, number).toUtf8());
        if (number.startsWith(slowPrefix))
            response.delayMs = slowDelayMs_;
        return response;
    }
    if (!hostileScript_.isEmpty() && path.startsWith(QLatin1String("/hostile/")))
        return answerHostile(request);
    if (path == QLatin1String("/ads/rotating.html"))
        return htmlResponse(PageTemplates::fill(QStringLiteral("advert"), {{QStringLiteral("reloadMs"),
                                                                            QString::number(advertReloadMs)}})
                                .toUtf8());

    if (path == QLatin1String("/"))
        return htmlResponse(
            PageTemplates::sitePage(QStringLiteral("全国快递查询"), QStringLiteral("index"), {}));
    if (path == QLatin1String("/home/"))
        return htmlResponse(PageTemplates::standalonePage(QStringLiteral("home")));
    if (path == QLatin1String("/home")) {
        LoopbackHttpServer::Response response = htmlResponse({}, 302);
        response.headers.insert("Location", "/home/");
        return response;
    }
    if (path == QLatin1String("/frames/index.html"))
        return htmlResponse(PageTemplates::standalonePage(QStringLiteral("frameset")));
    if (path == QLatin1String("/frames/banner.html"))
        return htmlResponse(PageTemplates::standalonePage(QStringLiteral("banner")));
    if (path == QLatin1String("/update.ini")) {
        LoopbackHttpServer::Response response;
        response.contentType = "text/plain";
        response.body = "[Ver]\r\nnew=1.2\r\n";
        response.headers.insert("Cache-Control", "no-store");
        return response;
    }
    return htmlResponse(PageTemplates::sitePage(QStringLiteral("页面不存在"), QStringLiteral("notfound"), {}),
                        404);
}
