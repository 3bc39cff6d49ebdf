#include "update/VersionComparison.h"

#include "common/ProgramFolder.h"
#include "update/PrivateProfile.h"

#include <QList>

namespace trovix {

namespace {

// The dotted numbers of a version ("1.2.1"), without leading zeros; none when the text
// is not digits separated by single dots.
QList<QByteArray> versionParts(const QByteArray& version)
{
    QList<QByteArray> parts;
    for (const QByteArray& part : version.split('.')) {
        if (part.isEmpty())
            return {};
        for (char c : part) {
            if (c < '0' || c > '9')
                return {};
        }
        qsizetype zeros = 0;
        while (zeros + 1 < part.size() && part.at(zeros) == '0')
            ++zeros;
        parts.append(part.mid(zeros));
    }
    return parts;
}

// Numbers of any length: the longer is the larger, equal lengths compare digit by digit.
int compareNumbers(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

QByteArray readRecordedVersion(const ProgramFolder& programFolder)
{
    return profile::readString(programFolder.file(programfiles::InstalledVersionFile), QStringLiteral("Ver"),
                               QStringLiteral("appver"));
}

QByteArray readOfferedVersion(const ProgramFolder& programFolder)
{
    return profile::readString(programFolder.file(programfiles::OfferedVersionFile), QStringLiteral("Ver"),
                               QStringLiteral("new"));
}

bool isVersion(const QByteArray& text)
{
    return !versionParts(text).isEmpty();
}

bool isHigherVersion(const QByteArray& version, const QByteArray& than)
{
    const QList<QByteArray> parts = versionParts(version);
    const QList<QByteArray> thanParts = versionParts(than);
    if (parts.isEmpty() || thanParts.isEmpty())
        return false;
    const QByteArray zero("0");
    for (qsizetype i = 0; i < qMax(parts.size(), thanParts.size()); ++i) {
        const int order = compareNumbers(parts.value(i, zero), thanParts.value(i, zero));
        if (order != 0)
            return order > 0;
    }
    return false;
}

} // namespace trovix
