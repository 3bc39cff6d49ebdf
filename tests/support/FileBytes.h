#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's whole content, or nothing when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
