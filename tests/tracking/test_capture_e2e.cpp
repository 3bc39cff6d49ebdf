#include "AggregatorHosts.h"
#include "LinesWithCrLf.h"
#include "RealTracking.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"
#include "WebEngineTestCase.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

namespace {

// The part of the main window a query goes through, wired as the window wires it, with
// the real browser.
struct QueryWindow : RealTracking {
    QueryWindow()
    {
        QObject::connect(&browser, &trovix::Browser::documentCompleted,
                         [this](trovix::Browser::DocumentId, const QString& address) {
                             events.append(QStringLiteral("load ") + address);
                         });
        QObject::connect(&session, &trovix::TrackingSession::captureFinished,
                         [this] { events.append(QStringLiteral("capture")); });
    }

    // Index of the first or last page load whose address contains `part`; -1 when none.
    qsizetype loadOf(const QString& part, bool last) const
    {
        qsizetype found = -1;
        for (qsizetype i = 0; i < events.size(); ++i) {
            if (events[i].startsWith(QStringLiteral("load ")) && events[i].contains(part)) {
                found = i;
                if (!last)
                    break;
            }
        }
        return found;
    }
    bool capturedAfterLoadOf(const QString& part) const
    {
        const qsizetype load = loadOf(part, true);
        return load >= 0 && events.indexOf(QStringLiteral("capture"), load) > load;
    }
    int capturesAfterLoadOf(const QString& part) const
    {
        const qsizetype load = loadOf(part, false);
        return load < 0 ? 0 : int(events.mid(load).count(QStringLiteral("capture")));
    }
    bool idle() const { return !timer1->isActive(); }
    QString result() const { return trovix::boxText(widgets.richTextBox3); }

    // Picks a courier and waits for the capture its page load schedules.
    bool selectCourier(int row)
    {
        option(row)->setChecked(true);
        const QString page = trovix::courierByRow(row)->pagePath;
        return spinUntil([&] { return capturedAfterLoadOf(page) && idle(); });
    }
    bool query(const QString& number)
    {
        widgets.text1->setText(number);
        QTest::mouseClick(widgets.command5, Qt::LeftButton);
        return spinUntil([&] { return capturedAfterLoadOf(QStringLiteral("/query/")) && idle(); });
    }

    QTimer* timer1 = widgets.timer1;
    QStringList events;
};

} // namespace

class TestCaptureEndToEnd : public WebEngineTestCase {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(serveCourierPages(aggregator_)); }

    void init()
    {
        window_ = std::make_unique<QueryWindow>();
        window_->widgets.text3->setText(QStringLiteral("0.5"));
        QCOMPARE(window_->timer1->interval(), 500);
    }

    void cleanup()
    {
        aggregator_.setResultsInPage(false);
        window_.reset();
    }

    void knownNumberGivesExactlyItsHistory_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("number");
        const QStringList known = SampleAggregator::knownNumbers();
        QTest::newRow("first courier") << 1 << known.first();
        QTest::newRow("another courier, another number") << 3 << known.last();
    }

    void knownNumberGivesExactlyItsHistory()
    {
        QFETCH(int, row);
        QFETCH(QString, number);

        QVERIFY(window_->selectCourier(row));
        QCOMPARE(window_->result(), QString());
        QVERIFY(window_->query(number));

        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(number)));
        QVERIFY(window_->prompter.asked.isEmpty());
        QVERIFY(!QFile::exists(window_->folder.file(QStringLiteral("temp.txt"))));
    }

    void unknownNumberSaysSorry()
    {
        QVERIFY(window_->selectCourier(1));
        QVERIFY(window_->query(QStringLiteral("NO-SUCH-NUMBER-1")));

        QCOMPARE(window_->result(), QStringLiteral("\r\n"));
        QCOMPARE(window_->prompter.asked.size(), 1);
        QCOMPARE(window_->prompter.asked.first().caption, QStringLiteral("sorry"));
        QVERIFY(window_->prompter.asked.first().text.startsWith(QStringLiteral("查询未果!\r\n")));
    }

    void slowResultPageIsCapturedByTheLaterLoad()
    {
        aggregator_.setSlowDelayMs(1500);
        const QString number = QStringLiteral("SLOW") + SampleAggregator::knownNumbers().first();
        QVERIFY(window_->selectCourier(1));
        window_->events.clear();

        QVERIFY(window_->query(number));

        // The read delay ran out on the tracking page, which holds no history; the result
        // page's load then scheduled one more capture.
        QCOMPARE(window_->events.first(), QStringLiteral("capture"));
        QCOMPARE(window_->capturesAfterLoadOf(QStringLiteral("/query/")), 1);
        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(number)));
        QVERIFY(window_->prompter.asked.isEmpty());
    }

    void quickQueryOnASlowInPageSiteGetsTheWholeReadDelay()
    {
        // The page writes the answer into itself 2 s after the click and never loads again:
        // only the capture that Query schedules can read it.
        aggregator_.setResultsInPage(true);
        aggregator_.setSlowDelayMs(2000);
        window_->widgets.text3->setText(QStringLiteral("3.5"));
        QTimer* timer1 = window_->timer1;
        window_->option(1)->setChecked(true);
        QVERIFY(spinUntil([&] {
            return window_->loadOf(trovix::courierByRow(1)->pagePath, true) >= 0 && timer1->isActive() &&
                   timer1->remainingTime() <= 1200;
        }));
        window_->events.clear();
        const QString number = QStringLiteral("SLOW") + SampleAggregator::knownNumbers().first();
        window_->widgets.text1->setText(number);
        QTest::mouseClick(window_->widgets.command5, Qt::LeftButton);

        QVERIFY(spinUntil(
            [&] { return window_->events.contains(QStringLiteral("capture")) && window_->idle(); }));
        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(number)));
        QCOMPARE(window_->events, QStringList{QStringLiteral("capture")});
    }

    void framesetSchedulesACaptureAfterItsLastDocument()
    {
        window_->browser.navigate(QStringLiteral("http://%1/frames/index.html").arg(aggregator_.hostA()));
        QVERIFY(spinUntil([&] {
            return window_->events.filter(QRegularExpression(QStringLiteral("^load "))).size() >= 3 &&
                   window_->events.last() == QStringLiteral("capture") && window_->idle();
        }));
        QVERIFY(window_->capturedAfterLoadOf(QStringLiteral("/frames/index.html")));
        QVERIFY(window_->capturedAfterLoadOf(QStringLiteral("/frames/banner.html")));
        QVERIFY(window_->capturedAfterLoadOf(QStringLiteral("/all/")));
        QVERIFY(window_->prompter.asked.isEmpty());
    }

private:
    SampleAggregator aggregator_;
    std::unique_ptr<QueryWindow> window_;
};

QTEST_MAIN(TestCaptureEndToEnd)
#include "test_capture_e2e.moc"
