#include "SigningKey.h"

#include <QFile>
#include <QProcess>

namespace {

bool runMinisign(const QStringList& arguments)
{
    QProcess minisign;
    minisign.start(QStringLiteral("minisign"), arguments);
    minisign.closeWriteChannel();
    return minisign.waitForFinished(30000) && minisign.exitStatus() == QProcess::NormalExit &&
           minisign.exitCode() == 0;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SigningKey::SigningKey()
{
    if (!runMinisign({"-G", "-W", "-p", dir_.filePath("key.pub"), "-s", dir_.filePath("key.sec")}))
        return;
    publicKeyLine_ = readFile(dir_.filePath("key.pub")).split('\n').value(1).trimmed();
}

QByteArray SigningKey::sign(const QByteArray& content, const QByteArray& trustedComment, bool legacy) const
{
    const QString file = dir_.filePath("signed");
    const QString signature = file + ".minisig";
    QFile::remove(signature);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(content) != content.size())
        return {};
    out.close();
    QStringList arguments{"-S",      "-s", dir_.filePath("key.sec"),         "-m", file, "-x",
                          signature, "-t", QString::fromUtf8(trustedComment)};
    if (legacy)
        arguments.prepend("-l");
    return runMinisign(arguments) ? readFile(signature) : QByteArray();
}
