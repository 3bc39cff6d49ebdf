#include "AggregatorHosts.h"
#include "LinesWithCrLf.h"
#include "RealTracking.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"
#include "TrackingBoxes.h"
#include "engine/ChromiumBrowser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The part of the main window a query goes through, wired as the window wires it, with
// the real browser. Completed documents' addresses and finished captures are logged.
struct QueryWindow : RealTracking {
    QueryWindow()
    {
        QObject::connect(&browser, &trovix::Browser::documentCompleted,
                         [this](trovix::Browser::DocumentId, const QString& address) {
                             loads.append(address);
                             events.append(u"load "_s + address);
                         });
        QObject::connect(&session, &trovix::TrackingSession::captureFinished,
                         [this] { events.append(u"capture"_s); });
    }

    // Index of the first or last page load whose address contains `part`; -1 when none.
    qsizetype loadOf(const QString& part, bool last) const
    {
        qsizetype found = -1;
        for (qsizetype i = 0; i < events.size(); ++i) {
            if (events[i].startsWith(u"load "_s) && events[i].contains(part)) {
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
        return load >= 0 && events.indexOf(u"capture"_s, load) > load;
    }
    int capturesAfterLoadOf(const QString& part) const
    {
        const qsizetype load = loadOf(part, false);
        return load < 0 ? 0 : int(events.mid(load).count(u"capture"_s));
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
        return spinUntil([&] { return capturedAfterLoadOf(u"/query/"_s) && idle(); });
    }

    QTimer* timer1 = widgets.timer1;
    QStringList loads;
    QStringList events;
};

} // namespace

// The session with the real browser against the sample aggregator.
class SessionEndToEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(serveCourierPages(aggregator_)); }

    void init()
    {
        window_ = std::make_unique<QueryWindow>();
        window_->widgets.text3->setText(u"0.5"_s);
        QCOMPARE(window_->timer1->interval(), 500);
    }

    void cleanup()
    {
        aggregator_.setResultsInPage(false);
        window_.reset();
    }

    void numberGivesExactlyItsHistory_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("sorry");
        const QStringList known = SampleAggregator::knownNumbers();
        QTest::newRow("first courier")
            << 1 << known.first() << linesWithCrLf(SampleAggregator::historyLines(known.first())) << false;
        QTest::newRow("another courier, another number")
            << 3 << known.last() << linesWithCrLf(SampleAggregator::historyLines(known.last())) << false;
        QTest::newRow("unknown number") << 1 << u"NO-SUCH-NUMBER-1"_s << u"\r\n"_s << true;
        // The read delay runs out on the tracking page, which holds no history; the result
        // page's load then schedules one more capture.
        const QString slow = u"SLOW"_s + known.first();
        QTest::newRow("slow result page")
            << 1 << slow << linesWithCrLf(SampleAggregator::historyLines(slow)) << false;
    }

    void numberGivesExactlyItsHistory()
    {
        QFETCH(int, row);
        QFETCH(QString, number);
        QFETCH(QString, result);
        QFETCH(bool, sorry);

        aggregator_.setSlowDelayMs(1500);
        QVERIFY(window_->selectCourier(row));
        QCOMPARE(window_->result(), QString());
        window_->events.clear();
        QVERIFY(window_->query(number));

        if (number.startsWith(u"SLOW"_s))
            QCOMPARE(window_->events.first(), u"capture"_s);
        QCOMPARE(window_->capturesAfterLoadOf(u"/query/"_s), 1);
        QCOMPARE(window_->result(), result);
        QCOMPARE(window_->prompter.asked, sorry ? QList{noResultBox()} : QList<trovix::MessageBoxRequest>());
        QVERIFY(!QFile::exists(window_->folder.file(u"temp.txt"_s)));
    }

    // Left alone, the engine ends; wanted again, it comes back unseen: the history shown
    // stays, no box comes up, and a Query, also one pressed while the engine starts, brings
    // its history.
    void engineComesBackAfterARest_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how");
        QTest::newRow("same courier") << 1 << QString();
        QTest::newRow("another courier") << 3 << QString();
        QTest::newRow("Query while the engine starts") << 3 << u"query at once"_s;
        // Its message box comes up before its page is asked for, and stays up through the rest.
        QTest::newRow("another courier, whose box stays up through the rest") << 14 << u"box"_s;
        // The rest leaves what the box shows as it was, to the last character; Query empties it.
        QTest::newRow("result box full") << 1 << u"full"_s;
    }

    void engineComesBackAfterARest()
    {
        QFETCH(int, row);
        QFETCH(QString, how);
        window_->browser.setRestBeforeEnding(300);
        const QStringList known = SampleAggregator::knownNumbers();
        QVERIFY(window_->selectCourier(1));
        QVERIFY(window_->query(known.first()));
        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(known.first())));
        if (how == u"full"_s)
            trovix::setBoxText(window_->widgets.richTextBox3, QString(trovix::resultBoxLimit, u'满'));
        const QString shown = window_->result();
        const bool boxed = how == u"box"_s;
        const auto rested = [&] { return spinUntil([&] { return !window_->browser.engineRunning(); }); };
        if (!boxed) {
            QVERIFY(rested());
            QCOMPARE(window_->result(), shown);
        }

        window_->events.clear();
        bool restedWhileTheBoxWasUp = false;
        window_->prompter.whileOpen = [&] { restedWhileTheBoxWasUp = rested(); };
        if (how == u"query at once"_s) {
            window_->option(row)->setChecked(true);
        } else if (row != 1) {
            QVERIFY(window_->selectCourier(row));
            QCOMPARE(window_->result(), shown);
        }
        QVERIFY(window_->query(known.last()));
        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(known.last())));
        QCOMPARE(restedWhileTheBoxWasUp, boxed);
        QCOMPARE(window_->prompter.asked, boxed ? QList{telephoneBox()} : QList<trovix::MessageBoxRequest>());
    }

    void quickQueryOnASlowInPageSiteGetsTheWholeReadDelay()
    {
        // The page writes the answer into itself 2 s after the click and never loads again:
        // only the capture that Query schedules can read it.
        aggregator_.setResultsInPage(true);
        aggregator_.setSlowDelayMs(2000);
        window_->widgets.text3->setText(u"3.5"_s);
        QTimer* timer1 = window_->timer1;
        window_->option(1)->setChecked(true);
        QVERIFY(spinUntil([&] {
            return window_->loadOf(trovix::courierByRow(1)->pagePath, true) >= 0 && timer1->isActive() &&
                   timer1->remainingTime() <= 1200;
        }));
        window_->events.clear();
        const QString number = u"SLOW"_s + SampleAggregator::knownNumbers().first();
        window_->widgets.text1->setText(number);
        QTest::mouseClick(window_->widgets.command5, Qt::LeftButton);

        QVERIFY(spinUntil([&] { return window_->events.contains(u"capture"_s) && window_->idle(); }));
        QCOMPARE(window_->result(), linesWithCrLf(SampleAggregator::historyLines(number)));
        QCOMPARE(window_->events, QStringList{u"capture"_s});
    }

    void querySubmitsTheTrimmedNumberAndTheCodeBox()
    {
        window_->option(1)->click();
        QVERIFY(waitForPage(u"/all/ems.html"_s));
        QCOMPARE(window_->loads.last(), u"http://%1/all/ems.html"_s.arg(aggregator_.hostA()));
        QVERIFY(window_->widgets.command5->isEnabled());

        window_->widgets.text1->setText(u"  1234 5678  "_s);
        QCOMPARE(window_->widgets.label4->text(), u"1234 5678"_s);
        window_->widgets.text2->setText(u"kept while locked"_s);
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.command5->click();

        QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
        const SampleAggregator::Submission submission = aggregator_.submissions().last();
        QCOMPARE(submission.fields.value(u"postid"_s), u"1234 5678"_s);
        QCOMPARE(submission.fields.value(u"valicode"_s), u"kept while locked"_s);
    }

    void telephoneRowSubmitsTheTelephoneField()
    {
        window_->option(14)->click();
        QCOMPARE(window_->prompter.asked, QList{telephoneBox()});
        QVERIFY(waitForPage(u"/all/jjwl.html"_s));
        QCOMPARE(window_->loads.last(), trovix::telephonePageAddress());

        window_->widgets.text1->setText(u"JJ0001"_s);
        window_->widgets.text2->setText(u"13800000000"_s);
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.command5->click();

        QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
        const SampleAggregator::Submission submission = aggregator_.submissions().last();
        QCOMPARE(submission.fields.value(u"postid"_s), u"JJ0001"_s);
        QCOMPARE(submission.fields.value(u"valicodetel"_s), u"13800000000"_s);
    }

    void rowsTwelveAndThirteenLoadDistinctPages()
    {
        window_->option(12)->click();
        QVERIFY(waitForPage(u"/all/dbwl.html"_s));
        QCOMPARE(window_->browser.currentAddress(), u"http://%1/all/dbwl.html"_s.arg(aggregator_.hostB()));
        window_->option(13)->click();
        QVERIFY(waitForPage(u"/all/xcjb.html"_s));
        QCOMPARE(window_->browser.currentAddress(), u"http://%1/all/xcjb.html"_s.arg(aggregator_.hostB()));
    }

    void framesetBindsAndSchedulesACaptureAfterItsLastDocument()
    {
        window_->browser.navigate(u"http://%1/frames/index.html"_s.arg(aggregator_.hostA()));
        QVERIFY(spinUntil([&] {
            return window_->loads.size() >= 3 && window_->events.last() == u"capture"_s && window_->idle();
        }));
        QVERIFY(window_->capturedAfterLoadOf(u"/frames/index.html"_s));
        QVERIFY(window_->capturedAfterLoadOf(u"/frames/banner.html"_s));
        QVERIFY(window_->capturedAfterLoadOf(u"/all/"_s));
        QVERIFY(window_->prompter.asked.isEmpty());
        QVERIFY(waitForPage(u"/frames/index.html"_s));
        QCOMPARE(window_->loads.size(), 3);
        QVERIFY(window_->loads.contains(u"http://%1/all/ems.html"_s.arg(aggregator_.hostA())));
        // The query frame had the fields, but the frameset itself completed last and its
        // lookup answered after the frame's: Query finds nothing to fill in.
        // A read delay that outlasts the checks below.
        window_->widgets.text3->setText(u"5"_s);
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.text1->setText(u"1"_s);
        window_->widgets.command5->click();
        settle();
        QVERIFY(submitted.isEmpty());
        QVERIFY(window_->widgets.timer1->isActive());
    }

private:
    bool waitForPage(const QString& path)
    {
        const bool loaded =
            spinUntil([&] { return !window_->loads.isEmpty() && window_->loads.last().endsWith(path); });
        settle();
        return loaded;
    }

    // Every lookup asked for so far has answered once a later call has.
    void settle()
    {
        bool answered = false;
        window_->browser.readBodyText([&answered](const QString&) { answered = true; });
        spinUntil([&] { return answered; });
    }

    SampleAggregator aggregator_;
    std::unique_ptr<QueryWindow> window_;
};

QTEST_MAIN(SessionEndToEndTest)
#include "test_session_e2e.moc"
