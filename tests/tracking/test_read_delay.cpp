#include "StandInTracking.h"

#include "tracking/ReadDelay.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <climits>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

class TestReadDelay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void leadingNumberIsReadLeniently_data()
    {
        const double inf = std::numeric_limits<double>::infinity();
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");

        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("integer") << "5" << 5.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("no integer part") << ".5" << 0.5;
        QTest::newRow("blank inside the number") << " 1 2" << 12.0;
        QTest::newRow("tab and line feed inside") << "\t1\n2 .\t5" << 12.5;
        QTest::newRow("carriage return is not skipped") << "1\r2" << 1.0;
        QTest::newRow("minus") << "-3" << -3.0;
        QTest::newRow("blank after the sign") << "- 3" << -3.0;
        QTest::newRow("two signs") << "--3" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("number then letters") << "12abc" << 12.0;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("capital exponent, negative") << "25E-1" << 2.5;
        QTest::newRow("D exponent") << "1d2" << 100.0;
        QTest::newRow("blanks around the exponent") << "1 e 2" << 100.0;
        QTest::newRow("exponent without digits") << "7e" << 7.0;
        QTest::newRow("exponent alone") << "e5" << 0.0;
        QTest::newRow("fraction shifted by exponent") << "0.001e3" << 1.0;
        QTest::newRow("full-width digits are no digits") << "１２" << 0.0;
        QTest::newRow("nan text") << "nan" << 0.0;
        QTest::newRow("overflowing exponent") << "1e400" << inf;
        QTest::newRow("negative overflowing exponent") << "-1e400" << -inf;
        QTest::newRow("underflowing exponent") << "1e-400" << 0.0;
        QTest::newRow("exponent beyond 64 bits") << "1e99999999999999999999999" << inf;
        QTest::newRow("four hundred nines") << QString(400, u'9') << inf;
        QTest::newRow("leading zeros balanced by exponent")
            << u"0."_s + QString(400, u'0') + u"25e401"_s << 2.5;
    }

    void leadingNumberIsReadLeniently()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(trovix::leadingNumber(text), value);
    }

    void intervalIsWholeMillisecondsTheTimerAccepts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("milliseconds");

        QTest::newRow("whole seconds") << 60.0 << 60000;
        QTest::newRow("fraction") << 2.5 << 2500;
        QTest::newRow("rounds up") << 0.0126 << 13;
        QTest::newRow("half to even, down") << 0.0005 << 0;
        QTest::newRow("half to even, up") << 0.0015 << 2;
        QTest::newRow("negative") << -5.0 << 0;
        QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity() << 0;
        QTest::newRow("nan") << std::nan("") << 0;
        QTest::newRow("largest interval") << 2147483.647 << INT_MAX;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << INT_MAX;
    }

    void intervalIsWholeMillisecondsTheTimerAccepts()
    {
        QFETCH(double, seconds);
        QFETCH(int, milliseconds);
        QCOMPARE(trovix::delayInterval(seconds), milliseconds);
    }

    void readDelayFollowsText3_data()
    {
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("interval");
        const auto row = [](const char* name, const char* previous, const char* typed, const char* shown,
                            int interval) {
            QTest::newRow(name) << QString::fromUtf8(previous) << QString::fromUtf8(typed)
                                << QString::fromUtf8(shown) << interval;
        };

        row("above 60", "5", "90", "60", 60000);
        row("12 seconds", "5", "12", "12", 12000);
        row("two and a half", "5", "2.5", "2.5", 2500);
        row("empty keeps the previous interval", "12", "", "", 12000);
        row("just above 60", "5", "60.4", "60", 60000);
        row("blank inside 61", "5", "6 1", "60", 60000);
        row("not a number waits 0 ms", "5", "abc", "abc", 0);
        row("negative waits 0 ms", "5", "-5", "-5", 0);
        row("rounds to 0 ms", "5", "0.0004", "0.0004", 0);
        row("overflowing exponent", "5", "1e400", "60", 60000);
        row("negative overflowing exponent", "5", "-1e400", "-1e400", 0);
        row("nan text", "5", "NaN", "NaN", 0);
    }

    void readDelayFollowsText3()
    {
        QFETCH(QString, previous);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, interval);

        StandInTracking window;
        QLineEdit* text3 = window.widgets.text3;

        text3->setText(previous);
        text3->setText(typed);
        QCOMPARE(text3->text(), shown);
        QCOMPARE(window.widgets.timer1->interval(), interval);
    }

    // A timer of the default, coarse kind may fire up to 5% early, which would read the page
    // before the time the user gave it.
    void captureNeverComesBeforeTheReadDelay()
    {
        StandInTracking window;
        window.widgets.text3->setText(QStringLiteral("0.4"));
        QTimer* timer1 = window.widgets.timer1;
        QSignalSpy expired(timer1, &QTimer::timeout);
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer waited;
            waited.start();
            timer1->start();
            QVERIFY(expired.wait(5000));
            QVERIFY2(waited.elapsed() >= 400, qPrintable(QString::number(waited.elapsed())));
        }
    }
};

QTEST_MAIN(TestReadDelay)
#include "test_read_delay.moc"
