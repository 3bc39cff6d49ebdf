#pragma once

#include <QByteArray>
#include <QString>

namespace trovix {

// Ver/appver of the folder's config.ini: the version of the Trovix that ran last there.
QByteArray readInstalledVersion(const QString& programFolder);
// Ver/new of the folder's update.ini: the version the update server offers.
QByteArray readOfferedVersion(const QString& programFolder);

// Versions are texts compared byte for byte: any difference, "1.20" against "1.2" or a
// lower number alike, is an update; two empty texts are equal.
bool updateExists(const QByteArray& installed, const QByteArray& offered);

} // namespace trovix
