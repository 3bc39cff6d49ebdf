#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// The aggregator's pages, kept as HTML templates in the resources. A template names
// its blanks "{{name}}"; values are put in as given, so callers escape what needs it.
namespace PageTemplates {

QString fill(const QString& templateName, const QMap<QString, QString>& values);
// A page of the site: header, courier list, adverts and footer around a content template.
// `scripts` is markup put at the end of the body.
QByteArray sitePage(const QString& title, const QString& contentTemplate,
                    const QMap<QString, QString>& values, const QString& scripts = {});
// The same around content already filled in.
QByteArray sitePageAround(const QString& title, const QString& content, const QString& scripts = {});
// A page that stands on its own (home page, frameset).
QByteArray standalonePage(const QString& templateName);

} // namespace PageTemplates
