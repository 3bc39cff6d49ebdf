#pragma once

#include "update/VersionMarker.h"

#include <QByteArray>

// An executable's bytes with its version marker for version telling newVersion instead
// (at most as long), or carrying none when newVersion is empty; the program still runs.
inline QByteArray remarked(QByteArray executable, const QByteArray& version, const QByteArray& newVersion)
{
    const QByteArray marker = TROVIX_VERSION_MARKER_TAG + version + '\0';
    QByteArray replacement = newVersion.isEmpty() ? QByteArray(marker.size(), '\0') : marker;
    replacement.replace(marker.size() - version.size() - 1, version.size() + 1,
                        newVersion.leftJustified(version.size() + 1, '\0'));
    return executable.replace(marker, replacement);
}
