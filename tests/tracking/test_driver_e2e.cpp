#include "tracking/CourierCatalogue.h"
#include "tracking/WebEngineBrowser.h"

#include "AggregatorHosts.h"
#include "RealTracking.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"
#include "WebEngineTestCase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

// The driver with the real browser against the sample aggregator.
class DriverEndToEndTest : public WebEngineTestCase {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(serveCourierPages(aggregator_)); }

    void init()
    {
        window_ = std::make_unique<RealTracking>();
        completed_.clear();
        connect(&window_->browser, &trovix::Browser::documentCompleted, this,
                [this](trovix::Browser::DocumentId, const QString& address) { completed_.append(address); });
    }

    void cleanup() { window_.reset(); }

    void querySubmitsTheTrimmedNumberAndTheCodeBox()
    {
        option(1)->click();
        QVERIFY(waitForPage(QStringLiteral("/all/ems.html")));
        QCOMPARE(completed_.last(), QStringLiteral("http://%1/all/ems.html").arg(aggregator_.hostA()));
        QVERIFY(window_->widgets.command5->isEnabled());
        QVERIFY(driver().hasUserName() && driver().hasPassword() && driver().hasLoginButton());

        window_->widgets.text1->setText(QStringLiteral("  1234 5678  "));
        QCOMPARE(window_->widgets.label4->text(), QStringLiteral("1234 5678"));
        window_->widgets.text2->setText(QStringLiteral("kept while locked"));
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.command5->click();

        QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
        const SampleAggregator::Submission submission = aggregator_.submissions().last();
        QCOMPARE(submission.fields.value(QStringLiteral("postid")), QStringLiteral("1234 5678"));
        QCOMPARE(submission.fields.value(QStringLiteral("valicode")), QStringLiteral("kept while locked"));
    }

    void telephoneRowSubmitsTheTelephoneField()
    {
        option(14)->click();
        QCOMPARE(window_->prompter.asked.size(), 1);
        QVERIFY(waitForPage(QStringLiteral("/all/jjwl.html")));
        QCOMPARE(completed_.last(), trovix::telephonePageAddress());
        QVERIFY(driver().hasPassword());

        window_->widgets.text1->setText(QStringLiteral("JJ0001"));
        window_->widgets.text2->setText(QStringLiteral("13800000000"));
        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.command5->click();

        QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
        const SampleAggregator::Submission submission = aggregator_.submissions().last();
        QCOMPARE(submission.fields.value(QStringLiteral("postid")), QStringLiteral("JJ0001"));
        QCOMPARE(submission.fields.value(QStringLiteral("valicodetel")), QStringLiteral("13800000000"));
    }

    void rowsTwelveAndThirteenLoadDistinctPages()
    {
        option(12)->click();
        QVERIFY(waitForPage(QStringLiteral("/all/dbwl.html")));
        QCOMPARE(window_->browser.view()->url().toString(),
                 QStringLiteral("http://%1/all/dbwl.html").arg(aggregator_.hostB()));
        option(13)->click();
        QVERIFY(waitForPage(QStringLiteral("/all/xcjb.html")));
        QCOMPARE(window_->browser.view()->url().toString(),
                 QStringLiteral("http://%1/all/xcjb.html").arg(aggregator_.hostB()));
    }

    void framesetBindsFromTheLastDocument()
    {
        window_->browser.navigate(QStringLiteral("http://%1/frames/index.html").arg(aggregator_.hostA()));
        QVERIFY(waitForPage(QStringLiteral("/frames/index.html")));
        QCOMPARE(completed_.size(), 3);
        QVERIFY(completed_.contains(QStringLiteral("http://%1/all/ems.html").arg(aggregator_.hostA())));
        // The query frame had the fields, but the frameset itself completed last; its lookup
        // answers after the frame's.
        QTRY_VERIFY(!window_->session.handlers().isBusy());
        QVERIFY(!driver().hasUserName() && !driver().hasPassword() && !driver().hasLoginButton());

        QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
        window_->widgets.text1->setText(QStringLiteral("1"));
        window_->widgets.command5->click();
        settle();
        QVERIFY(submitted.isEmpty());
        QVERIFY(window_->widgets.timer1->isActive());
    }

private:
    QRadioButton* option(int row) const { return window_->option(row); }
    trovix::TrackingPageDriver& driver() const { return window_->session.driver(); }

    bool waitForPage(const QString& path)
    {
        const bool loaded =
            spinUntil([&] { return !completed_.isEmpty() && completed_.last().endsWith(path); });
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
    std::unique_ptr<RealTracking> window_;
    QStringList completed_;
};

QTEST_MAIN(DriverEndToEndTest)
#include "test_driver_e2e.moc"
