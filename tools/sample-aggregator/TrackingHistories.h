#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct HistoryEntry {
    QString when; // "yyyy-MM-dd hh:mm:ss"
    QString place;
    QString progress;
};

// The fixed tracking histories of the numbers the aggregator knows.
QStringList knownTrackingNumbers();
// Empty for a number that is not known.
QList<HistoryEntry> trackingHistory(const QString& number);
