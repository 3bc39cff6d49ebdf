#include "PageTemplates.h"

#include "SampleCouriers.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString loadTemplate(const QString& name)
{
    QFile file(QStringLiteral(":/sample-aggregator/pages/%1.html").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("sample aggregator: page template %s is missing", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

QString courierList()
{
    QString items;
    for (const SampleCourier& courier : sampleCouriers())
        items += QStringLiteral("<li><a href=\"/all/%1.html\">%2</a></li>\n").arg(courier.slug, courier.name);
    return items;
}

} // namespace

namespace PageTemplates {

QString fill(const QString& templateName, const QMap<QString, QString>& values)
{
    // One pass over the template only, so a value that happens to contain "{{...}}"
    // (a submitted number, say) is never filled in itself.
    static const QRegularExpression blank(QStringLiteral("\\{\\{([a-zA-Z]+)\\}\\}"));
    const QString text = loadTemplate(templateName);
    QString filled;
    qsizetype done = 0;
    for (auto it = blank.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        filled += QStringView(text).mid(done, match.capturedStart() - done);
        filled += values.value(match.captured(1));
        done = match.capturedEnd();
    }
    filled += QStringView(text).mid(done);
    return filled;
}

QByteArray sitePage(const QString& title, const QString& contentTemplate,
                    const QMap<QString, QString>& values, const QString& scripts)
{
    return sitePageAround(title, fill(contentTemplate, values), scripts);
}

QByteArray sitePageAround(const QString& title, const QString& content, const QString& scripts)
{
    return fill(QStringLiteral("site"), {{QStringLiteral("title"), title},
                                         {QStringLiteral("couriers"), courierList()},
                                         {QStringLiteral("content"), content},
                                         {QStringLiteral("scripts"), scripts}})
        .toUtf8();
}

QByteArray standalonePage(const QString& templateName)
{
    return fill(templateName, {}).toUtf8();
}

} // namespace PageTemplates
