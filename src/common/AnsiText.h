#pragma once

#include <QByteArray>
#include <QString>

// Text that leaves the program (saved results, the capture's scratch file) is kept in
// GB18030, the superset of code page 936 that is byte for byte the same for every
// character code page 936 holds and loses nothing else.
namespace trovix::ansi {

QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);

} // namespace trovix::ansi
