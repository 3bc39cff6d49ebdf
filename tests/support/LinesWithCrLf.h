#pragma once

#include <QString>
#include <QStringList>

// The lines as the result box holds them: each followed by a carriage return and a
// line feed.
inline QString linesWithCrLf(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}
