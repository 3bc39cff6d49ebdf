#include "update/InstalledVersion.h"

#include "common/ProgramFolder.h"
#include "update/VersionComparison.h"
#include "update/VersionMarker.h"

#include <QByteArrayView>
#include <QFile>

namespace trovix {

namespace {

// The record's reading rule keeps 255 bytes; a longer marker is no version either.
constexpr qsizetype LongestVersion = 255;

} // namespace

QByteArray readExecutableVersion(const QString& executablePath)
{
    QFile file(executablePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
        return {};
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return {};
    const QByteArrayView bytes(mapped, file.size());
    const QByteArrayView tag(TROVIX_VERSION_MARKER_TAG);
    // The reader's own copy of the tag, in the programs that hold one, is followed by no version.
    for (qsizetype at = bytes.indexOf(tag); at >= 0; at = bytes.indexOf(tag, at + 1)) {
        const QByteArrayView rest = bytes.sliced(at + tag.size());
        const QByteArrayView room = rest.first(qMin(rest.size(), LongestVersion + 1));
        const qsizetype end = room.indexOf('\0');
        const QByteArray version = room.first(qMax<qsizetype>(end, 0)).toByteArray();
        if (end > 0 && isVersion(version))
            return version;
    }
    return {};
}

QByteArray installedVersion(const ProgramFolder& programFolder)
{
    const QByteArray marked = readExecutableVersion(programFolder.file(programfiles::TrovixExecutable));
    const QByteArray recorded = readRecordedVersion(programFolder);
    if (!isVersion(recorded))
        return marked;
    return isHigherVersion(marked, recorded) ? marked : recorded;
}

bool holdsNewerBuild(const ProgramFolder& programFolder, const ProgramFolder& than)
{
    const QByteArray version = installedVersion(programFolder);
    const QByteArray copy = installedVersion(than);
    return !version.isEmpty() && (copy.isEmpty() || isHigherVersion(version, copy));
}

} // namespace trovix
