#include "common/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace trovix::ansi {

QByteArray encode(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

} // namespace trovix::ansi
