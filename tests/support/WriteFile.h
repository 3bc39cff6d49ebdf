#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Makes `content` the file's whole content; false when it cannot be written.
inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
