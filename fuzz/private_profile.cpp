// The private-profile reader and writer on arbitrary files and names. A read gives at
// most ValueCapacity bytes of one line of the file; an accepted write reads back as the
// value trimmed and unquoted, is not changed by doing it again (for a value without
// blanks at its edges), and is left alone by a write to another key of the section.
#include "update/PrivateProfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace trovix::profile;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

// The value as a reader gives it back: blanks around it do not count, one pair of
// matching quotes goes, and a 256-byte buffer holds the rest.
QByteArray readBack(QByteArray value)
{
    while (!value.isEmpty() && isBlank(value.front()))
        value.remove(0, 1);
    while (!value.isEmpty() && isBlank(value.back()))
        value.chop(1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.left(ValueCapacity);
}

[[noreturn]] void fail(const char* what, const QByteArray& content, const QString& section,
                       const QString& key, const QByteArray& value)
{
    std::fprintf(stderr, "profile: %s\nsection: %s\nkey: %s\nvalue: %s\ncontent: %s\n", what,
                 section.toUtf8().toPercentEncoding().constData(),
                 key.toUtf8().toPercentEncoding().constData(), value.toPercentEncoding().constData(),
                 content.toPercentEncoding().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const QString section = QString::fromStdString(input.ConsumeRandomLengthString(32));
    const QString key = QString::fromStdString(input.ConsumeRandomLengthString(32));
    const std::string valueBytes = input.ConsumeRandomLengthString(300);
    const QByteArray value(valueBytes.data(), qsizetype(valueBytes.size()));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray content(rest.data(), qsizetype(rest.size()));

    const QByteArray read = readStringFromContent(content, section, key);
    if (read.size() > ValueCapacity)
        fail("read longer than the buffer", content, section, key, read);
    if (read.contains('\n'))
        fail("read across a line break", content, section, key, read);
    if (!content.contains(read))
        fail("read something the file does not hold", content, section, key, read);

    const QByteArray written = writeStringToContent(content, section, key, value);
    if (written.isNull())
        return 0;
    if (readStringFromContent(written, section, key) != readBack(value))
        fail("written value does not read back", content, section, key, value);
    // The blanks around an existing value stay where they are, so only a value without
    // blanks of its own at its edges is sure to leave the file as it was.
    const bool edgeBlanks = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    if (!edgeBlanks && writeStringToContent(written, section, key, value) != written)
        fail("writing the same value again changes the file", content, section, key, value);

    const QString otherKey = key + QStringLiteral("2");
    const QByteArray bothWritten = writeStringToContent(written, section, otherKey, value);
    if (!bothWritten.isNull() && readStringFromContent(bothWritten, section, key) != readBack(value))
        fail("writing another key changes this one", written, section, otherKey, value);
    return 0;
}
