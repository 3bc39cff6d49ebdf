#pragma once

#include <QByteArray>
#include <QString>

// Private-profile (INI) files read and written the way the Windows profile functions
// do it, for files in the ANSI code page (GB18030 here):
// - section and key names match case-insensitively; the first matching section and,
//   inside it, the first matching key win;
// - blanks around a line, around the name and around "=" do not count;
// - lines starting with ';' are comments; lines before the first section belong to no
//   section;
// - one pair of matching quotes ('...' or "...") around a value is removed;
// - a UTF-8 byte-order mark at the start of the file is skipped.
namespace trovix::profile {

// The most bytes a value is read with (a 256-byte buffer holding its final NUL).
constexpr int ValueCapacity = 255;

// The value of section/key in the file's bytes, cut to ValueCapacity bytes; the
// empty text when the file, the section or the key is missing.
QByteArray readString(const QString& filePath, const QString& section, const QString& key);
QByteArray readStringFromContent(const QByteArray& content, const QString& section, const QString& key);

// Sets section/key to value, creating the file, the section or the key as needed.
// Every other line stays byte for byte as it was; new lines end in CR LF. Fails, and
// leaves the file alone, for a value holding a line break, names that cannot be
// written as a section header or key, or a file that cannot be read or replaced.
bool writeString(const QString& filePath, const QString& section, const QString& key,
                 const QByteArray& value);
// The content after such a write, or a null array when the write is refused.
QByteArray writeStringToContent(const QByteArray& content, const QString& section, const QString& key,
                                const QByteArray& value);

} // namespace trovix::profile
