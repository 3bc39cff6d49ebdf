#include "SampleAggregator.h"

#include "PageTemplates.h"
#include "SampleCouriers.h"
#include "TrackingHistories.h"

#include <QRegularExpression>

namespace {

const QString slowPrefix = QStringLiteral("SLOW");

// A number with the slow prefix stands for the number after it.
QString withoutSlowPrefix(const QString& number)
{
    return number.startsWith(slowPrefix) ? number.mid(slowPrefix.size()) : number;
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

QByteArray trackingPage(const SampleCourier& courier)
{
    const bool telephone = courier.codeField == QLatin1String("valicodetel");
    return PageTemplates::sitePage(
        courier.name + QStringLiteral("查询"), QStringLiteral("tracking"),
        {{QStringLiteral("name"), courier.name},
         {QStringLiteral("slug"), courier.slug},
         {QStringLiteral("codeField"), courier.codeField},
         {QStringLiteral("codeLabel"), telephone ? QStringLiteral("电话号码：") : QStringLiteral("验证码：")},
         {QStringLiteral("codeHint"), telephone ? QStringLiteral("请输入收件人或寄件人的电话号码")
                                                : QStringLiteral("本快递无需验证码")}});
}

QByteArray resultPage(const SampleCourier& courier, const QString& number)
{
    const QList<HistoryEntry> history = trackingHistory(withoutSlowPrefix(number));
    QString rows;
    for (const HistoryEntry& entry : history) {
        rows +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                .arg(entry.when.toHtmlEscaped(), entry.place.toHtmlEscaped(), entry.progress.toHtmlEscaped());
    }
    return PageTemplates::sitePage(courier.name + QStringLiteral("查询结果"),
                                   history.isEmpty() ? QStringLiteral("noresult") : QStringLiteral("result"),
                                   {{QStringLiteral("name"), courier.name},
                                    {QStringLiteral("slug"), courier.slug},
                                    {QStringLiteral("number"), number.toHtmlEscaped()},
                                    {QStringLiteral("rows"), rows}});
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

QStringList SampleAggregator::knownNumbers()
{
    return knownTrackingNumbers();
}

QStringList SampleAggregator::historyLines(const QString& number)
{
    const QList<HistoryEntry> history = trackingHistory(withoutSlowPrefix(number));
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

    if (const SampleCourier* courier = sampleCourierBySlug(slugOf(path, QStringLiteral("/all/"))))
        return htmlResponse(trackingPage(*courier));

    if (const SampleCourier* courier = sampleCourierBySlug(slugOf(path, QStringLiteral("/query/")))) {
        const Submission submission{path, request.query};
        submissions_.append(submission);
        Q_EMIT submitted(submission);
        const QString number = request.query.value(QStringLiteral("postid"));
        LoopbackHttpServer::Response response = htmlResponse(resultPage(*courier, number));
        if (number.startsWith(slowPrefix))
            response.delayMs = slowDelayMs_;
        return response;
    }

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
