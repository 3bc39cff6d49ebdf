#include "SigningKey.h"

#include "FileBytes.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

bool runMinisign(const QStringList& arguments)
{
    QProcess minisign;
    minisign.start(QStringLiteral("minisign"), arguments);
    minisign.closeWriteChannel();
    return minisign.waitForFinished(30000) && minisign.exitStatus() == QProcess::NormalExit &&
           minisign.exitCode() == 0;
}

} // namespace

SigningKey::SigningKey()
{
    if (!runMinisign(
            {u"-G"_s, u"-W"_s, u"-p"_s, dir_.filePath(u"key.pub"_s), u"-s"_s, dir_.filePath(u"key.sec"_s)}))
        return;
    publicKeyLine_ = fileBytes(dir_.filePath(u"key.pub"_s)).split('\n').value(1).trimmed();
}

QByteArray SigningKey::sign(const QByteArray& content, const QByteArray& trustedComment, bool legacy) const
{
    const QString file = dir_.filePath(u"signed"_s);
    const QString signature = file + u".minisig"_s;
    QFile::remove(signature);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(content) != content.size())
        return {};
    out.close();
    QStringList arguments{u"-S"_s,   u"-s"_s, dir_.filePath(u"key.sec"_s),      u"-m"_s, file, u"-x"_s,
                          signature, u"-t"_s, QString::fromUtf8(trustedComment)};
    if (legacy)
        arguments.prepend(u"-l"_s);
    return runMinisign(arguments) ? fileBytes(signature) : QByteArray();
}
