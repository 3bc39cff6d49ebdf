#pragma once

#include <QObject>
#include <QPointer>
#include <QStringView>

class QLineEdit;

namespace trovix {

class CaptureTimer;

// The number a text starts with, read as leniently as VB's Val: blanks, tabs and line
// feeds are skipped wherever they are (" 1 2" reads 12), then an optional sign, digits
// with an optional decimal point and an optional exponent (E, e, D or d, as Val takes
// them). Reading stops at the first character that cannot continue the number; a text
// without a leading number reads 0. Too large a magnitude reads as an infinity, too
// small a one as 0.
double leadingNumber(QStringView text);

// The capture timer interval for a delay in seconds: whole milliseconds, rounded to
// nearest with halves to even (as VB rounds into a Long), kept within 0..INT_MAX.
// Negative delays and NaN give 0, the shortest wait a timer knows.
int delayInterval(double seconds);

// Keeps the capture timer's interval in step with the read delay typed into Text3.
class ReadDelayController : public QObject {
    Q_OBJECT
public:
    ReadDelayController(QLineEdit* text3, CaptureTimer& captureTimer, QObject* parent = nullptr);

private:
    void readDelayChanged(const QString& text);

    QPointer<QLineEdit> text3_;
    CaptureTimer& captureTimer_;
};

} // namespace trovix
