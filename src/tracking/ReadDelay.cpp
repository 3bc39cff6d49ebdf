#include "tracking/ReadDelay.h"

#include "tracking/CaptureTimer.h"
#include <QLineEdit>

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace trovix {

namespace {

// Far beyond any double; keeps the exponent arithmetic from overflowing.
constexpr long long exponentCap = 1'000'000;

class SkippingReader {
public:
    explicit SkippingReader(QStringView text) : text_(text) { skipBlanks(); }

    QChar peek() const { return pos_ < text_.size() ? text_[pos_] : QChar(); }
    void advance()
    {
        ++pos_;
        skipBlanks();
    }
    bool atDigit() const { return peek() >= u'0' && peek() <= u'9'; }

    // Where reading stands, to come back to when an exponent turns out to have no digits.
    qsizetype mark() const { return pos_; }
    void reset(qsizetype mark) { pos_ = mark; }

private:
    void skipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t' || text_[pos_] == u'\n'))
            ++pos_;
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

} // namespace

double leadingNumber(QStringView text)
{
    SkippingReader reader(text);
    bool negative = false;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        negative = reader.peek() == u'-';
        reader.advance();
    }

    std::string digits;
    long long digitsBeforePoint = 0;
    while (reader.atDigit()) {
        digits += char(reader.peek().unicode());
        ++digitsBeforePoint;
        reader.advance();
    }
    if (reader.peek() == u'.') {
        reader.advance();
        while (reader.atDigit()) {
            digits += char(reader.peek().unicode());
            reader.advance();
        }
    }
    if (digits.empty())
        return 0.0;

    long long exponent = 0;
    const QChar letter = reader.peek();
    if (letter == u'E' || letter == u'e' || letter == u'D' || letter == u'd') {
        const qsizetype beforeExponent = reader.mark();
        reader.advance();
        bool negativeExponent = false;
        if (reader.peek() == u'+' || reader.peek() == u'-') {
            negativeExponent = reader.peek() == u'-';
            reader.advance();
        }
        if (!reader.atDigit())
            reader.reset(beforeExponent);
        while (reader.atDigit()) {
            exponent = std::min(exponentCap, exponent * 10 + (reader.peek().unicode() - u'0'));
            reader.advance();
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    const auto firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return negative ? -0.0 : 0.0;

    // Written as 0.ddd × 10^scale, scale tells overflow from underflow when the
    // conversion gives up.
    const long long scale = digitsBeforePoint - static_cast<long long>(firstSignificant) + exponent;
    const std::string significant = "0." + digits.substr(firstSignificant) + "e" + std::to_string(scale);

    double magnitude = 0.0;
    const auto result =
        std::from_chars(significant.data(), significant.data() + significant.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range)
        magnitude = scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

int delayInterval(double seconds)
{
    if (!(seconds > 0.0))
        return 0;
    const double milliseconds = std::nearbyint(seconds * 1000.0);
    if (milliseconds >= double(INT_MAX))
        return INT_MAX;
    return static_cast<int>(milliseconds);
}

ReadDelayController::ReadDelayController(QLineEdit* text3, CaptureTimer& captureTimer, QObject* parent)
    : QObject(parent), text3_(text3), captureTimer_(captureTimer)
{
    connect(text3, &QLineEdit::textChanged, this, &ReadDelayController::readDelayChanged);
}

void ReadDelayController::readDelayChanged(const QString& text)
{
    if (leadingNumber(text) > 60.0)
        text3_->setText(QStringLiteral("60"));

    const QString delay = text3_->text();
    if (!delay.isEmpty())
        captureTimer_.setReadDelay(delayInterval(leadingNumber(delay)));
}

} // namespace trovix
