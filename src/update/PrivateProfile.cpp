#include "update/PrivateProfile.h"

#include "common/AnsiText.h"

#include <QFile>
#include <QSaveFile>

#include <optional>

namespace trovix::profile {

namespace {

bool isBlank(char c)
{
    // Ctrl-Z counts as a blank: old editors ended text files with it.
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

// Bytes of the GB18030 character starting at i, so that a trail byte that happens to
// be ']' is never taken for the end of a section name.
int characterLength(const QByteArray& bytes, int i)
{
    const auto lead = static_cast<uchar>(bytes.at(i));
    if (lead < 0x81 || lead == 0xFF || i + 1 >= bytes.size())
        return 1;
    const auto second = static_cast<uchar>(bytes.at(i + 1));
    const int length = (second >= 0x30 && second <= 0x39) ? 4 : 2;
    return qMin(length, int(bytes.size()) - i);
}

struct Line {
    enum Kind { Blank, Comment, Section, Entry };
    Kind kind = Blank;
    int next = 0; // offset of the following line
    bool terminated = false;
    int nameBegin = 0; // section name or key name, blanks excluded
    int nameEnd = 0;
    bool hasValue = false;
    int valueBegin = 0; // value, blanks excluded
    int valueEnd = 0;
};

Line parseLine(const QByteArray& bytes, int from)
{
    Line line;
    int lineEnd = bytes.indexOf('\n', from);
    line.terminated = lineEnd >= 0;
    if (lineEnd < 0)
        lineEnd = bytes.size();
    line.next = line.terminated ? lineEnd + 1 : lineEnd;

    int begin = from;
    int end = lineEnd;
    while (begin < end && isBlank(bytes.at(begin)))
        ++begin;
    while (end > begin && isBlank(bytes.at(end - 1)))
        --end;
    if (begin == end)
        return line;

    if (bytes.at(begin) == ';') {
        line.kind = Line::Comment;
        return line;
    }

    if (bytes.at(begin) == '[') {
        int closing = -1;
        for (int i = begin + 1; i < end; i += characterLength(bytes, i)) {
            if (bytes.at(i) == ']')
                closing = i;
        }
        if (closing > 0) {
            line.kind = Line::Section;
            line.nameBegin = begin + 1;
            line.nameEnd = closing;
            while (line.nameBegin < line.nameEnd && isBlank(bytes.at(line.nameBegin)))
                ++line.nameBegin;
            while (line.nameEnd > line.nameBegin && isBlank(bytes.at(line.nameEnd - 1)))
                --line.nameEnd;
            return line;
        }
    }

    line.kind = Line::Entry;
    line.nameBegin = begin;
    const int equals = bytes.indexOf('=', begin);
    if (equals < 0 || equals >= end) {
        line.nameEnd = end;
        return line;
    }
    line.nameEnd = equals;
    while (line.nameEnd > line.nameBegin && isBlank(bytes.at(line.nameEnd - 1)))
        --line.nameEnd;
    line.hasValue = true;
    line.valueBegin = equals + 1;
    while (line.valueBegin < end && isBlank(bytes.at(line.valueBegin)))
        ++line.valueBegin;
    line.valueEnd = end;
    return line;
}

bool sameName(const QByteArray& bytes, const Line& line, const QString& name)
{
    const QString written = ansi::decode(bytes.mid(line.nameBegin, line.nameEnd - line.nameBegin));
    return written.compare(name, Qt::CaseInsensitive) == 0;
}

// Where section/key stand in the content: the first matching section, and in it the
// first matching key.
struct Location {
    std::optional<Line> key;
    std::optional<Line> lastOfSection; // the section's last non-blank line
};

Location locate(const QByteArray& bytes, const QString& section, const QString& key)
{
    Location found;
    bool inSection = false;
    // Editors on Windows start UTF-8 files with a byte-order mark; it is no part of the first line.
    const int start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (int from = start; from < bytes.size();) {
        const Line line = parseLine(bytes, from);
        from = line.next;
        if (line.kind == Line::Section) {
            if (inSection)
                break;
            inSection = sameName(bytes, line, section);
            if (inSection)
                found.lastOfSection = line;
            continue;
        }
        if (!inSection || line.kind == Line::Blank)
            continue;
        found.lastOfSection = line;
        if (!found.key && line.kind == Line::Entry && sameName(bytes, line, key))
            found.key = line;
    }
    return found;
}

// A name the reader would trim differently could never be found again: every write
// would add another line.
bool writableName(const QString& name)
{
    const QChar ctrlZ(u'\x1a');
    return !name.isEmpty() && name.trimmed() == name && !name.startsWith(ctrlZ) && !name.endsWith(ctrlZ) &&
           !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r'));
}

} // namespace

QByteArray readStringFromContent(const QByteArray& content, const QString& section, const QString& key)
{
    const Location found = locate(content, section, key);
    if (!found.key || !found.key->hasValue)
        return {};
    QByteArray value = content.mid(found.key->valueBegin, found.key->valueEnd - found.key->valueBegin);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(ValueCapacity);
}

QByteArray readString(const QString& filePath, const QString& section, const QString& key)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readStringFromContent(file.readAll(), section, key);
}

QByteArray writeStringToContent(const QByteArray& content, const QString& section, const QString& key,
                                const QByteArray& value)
{
    if (!writableName(section) || section.contains(QLatin1Char(']')) || !writableName(key) ||
        key.contains(QLatin1Char('=')) || key.startsWith(QLatin1Char(';')) ||
        key.startsWith(QLatin1Char('[')) || value.contains('\n') || value.contains('\r') ||
        value.contains('\0'))
        return {};

    const QByteArray entry = ansi::encode(key) + '=' + value;
    QByteArray result = content;
    const Location found = locate(content, section, key);
    if (found.key) {
        if (found.key->hasValue)
            result.replace(found.key->valueBegin, found.key->valueEnd - found.key->valueBegin, value);
        else
            result.insert(found.key->nameEnd, '=' + value);
    } else if (found.lastOfSection) {
        const Line& last = *found.lastOfSection;
        result.insert(last.next, (last.terminated ? QByteArray() : QByteArray("\r\n")) + entry + "\r\n");
    } else {
        if (!result.isEmpty() && !result.endsWith('\n'))
            result += "\r\n";
        result += '[' + ansi::encode(section) + "]\r\n" + entry + "\r\n";
    }
    return result;
}

bool writeString(const QString& filePath, const QString& section, const QString& key, const QByteArray& value)
{
    QByteArray content;
    QFile existing(filePath);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return false;
        content = existing.readAll();
        existing.close();
    }
    const QByteArray updated = writeStringToContent(content, section, key, value);
    if (updated.isNull())
        return false;
    if (updated == content && existing.exists())
        return true;
    QSaveFile file(filePath);
    return file.open(QIODevice::WriteOnly) && file.write(updated) == updated.size() && file.commit();
}

} // namespace trovix::profile
