// The read-delay reading against a second reading of the same text: blanks, tabs and
// line feeds dropped first, then the longest number prefix handed to strtod. The
// interval must stay a timer interval, follow the delay to the nearest millisecond and
// never shrink as the delay grows. The first eight bytes are also tried as a double, so
// infinities, NaNs and subnormals reach delayInterval directly.
#include "tracking/ReadDelay.h"

#include <QString>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isDigit(char32_t c)
{
    return c >= u'0' && c <= u'9';
}

// The same number as VB's Val would read, written out for strtod.
double referenceReading(const QString& text)
{
    std::u32string chars;
    for (const char32_t c : text.toUcs4())
        if (c != u' ' && c != u'\t' && c != u'\n')
            chars += c;

    std::string number;
    size_t i = 0;
    if (i < chars.size() && (chars[i] == u'+' || chars[i] == u'-'))
        number += char(chars[i++]);
    bool anyDigit = false;
    while (i < chars.size() && isDigit(chars[i])) {
        number += char(chars[i++]);
        anyDigit = true;
    }
    if (i < chars.size() && chars[i] == u'.') {
        number += '.';
        ++i;
        while (i < chars.size() && isDigit(chars[i])) {
            number += char(chars[i++]);
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (i < chars.size() && (chars[i] == u'E' || chars[i] == u'e' || chars[i] == u'D' || chars[i] == u'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < chars.size() && (chars[j] == u'+' || chars[j] == u'-'))
            exponent += char(chars[j++]);
        if (j < chars.size() && isDigit(chars[j])) {
            while (j < chars.size() && isDigit(chars[j]))
                exponent += char(chars[j++]);
            number += exponent;
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

[[noreturn]] void fail(const char* what, double seconds, int interval)
{
    std::fprintf(stderr, "read delay: %s (seconds %a = %.17g, interval %d)\n", what, seconds, seconds,
                 interval);
    std::abort();
}

void checkInterval(double seconds, double smallerSeconds)
{
    const int interval = trovix::delayInterval(seconds);
    if (interval < 0 || interval > INT_MAX)
        fail("interval outside 0..INT_MAX", seconds, interval);
    if (!(seconds > 0.0) && interval != 0)
        fail("interval for no delay", seconds, interval);
    const double milliseconds = seconds * 1000.0;
    if (milliseconds > 0.0 && milliseconds < double(INT_MAX) && std::fabs(interval - milliseconds) > 0.5)
        fail("interval not the nearest millisecond", seconds, interval);
    if (milliseconds >= double(INT_MAX) + 0.5 && interval != INT_MAX)
        fail("long delay not held at INT_MAX", seconds, interval);
    if (smallerSeconds < seconds && trovix::delayInterval(smallerSeconds) > interval)
        fail("interval shrinks as the delay grows", seconds, interval);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size >= sizeof(double)) {
        double seconds;
        std::memcpy(&seconds, data, sizeof seconds);
        checkInterval(seconds, std::nextafter(seconds, -INFINITY));
    }

    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const double reading = trovix::leadingNumber(text);
    const double expected = referenceReading(text);
    if (std::isnan(reading))
        fail("reading is NaN", reading, 0);
    if (reading != expected || std::signbit(reading) != std::signbit(expected)) {
        std::fprintf(stderr, "expected %a = %.17g\n", expected, expected);
        fail("reading differs from strtod's", reading, 0);
    }
    checkInterval(reading, std::nextafter(reading, -INFINITY));
    return 0;
}
