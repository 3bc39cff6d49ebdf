#pragma once

#include <QByteArray>
#include <QString>

namespace trovix {

// Ver/appver of the folder's config.ini: the version of the Trovix that ran last there.
QByteArray readInstalledVersion(const QString& programFolder);
// Ver/new of the folder's update.ini: the version the update server offers.
QByteArray readOfferedVersion(const QString& programFolder);

// An update exists only when the offered version is higher than the installed one,
// comparing dotted numbers part by part with missing parts as 0 ("1.2" equals "1.2.0").
// An offer that is not a version is no update, so an old signed build cannot be rolled
// back in; an installed text that is not a version (never recorded) takes any version.
bool updateExists(const QByteArray& installed, const QByteArray& offered);

} // namespace trovix
