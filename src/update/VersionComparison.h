#pragma once

#include <QByteArray>

namespace trovix {

class ProgramFolder;

// Ver/appver of the folder's config.ini: the version of the Trovix that ran last there.
QByteArray readRecordedVersion(const ProgramFolder& programFolder);
// Ver/new of the folder's update.ini: the version the update server offers.
QByteArray readOfferedVersion(const ProgramFolder& programFolder);

// A version is dotted numbers ("1.2.1"); a text with anything else is none.
bool isVersion(const QByteArray& text);
// Whether version is higher than than, comparing dotted numbers part by part with missing
// parts as 0 ("1.2" equals "1.2.0"). A text that is not a version is never higher, nor
// lower, than anything: an old signed build cannot be rolled back in on a damaged text.
bool isHigherVersion(const QByteArray& version, const QByteArray& than);

} // namespace trovix
