#include "tracking/CourierCatalogue.h"
#include "tracking/TrackingPageDriver.h"
#include "tracking/WebEngineBrowser.h"

#include "RecordingPrompter.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

// The driver with the real browser against the sample aggregator.
class DriverEndToEndTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void querySubmitsTheTrimmedNumberAndTheCodeBox();
    void telephoneRowSubmitsTheTelephoneField();
    void rowsTwelveAndThirteenLoadDistinctPages();
    void framesetBindsFromTheLastDocument();

private:
    QRadioButton* option(int row) const { return widgets_.options.at(row - 1); }
    bool waitForPage(const QString& path);
    // Every lookup asked for so far has answered once a later call has.
    void settle();

    SampleAggregator aggregator_;
    std::unique_ptr<QWidget> form_;
    std::unique_ptr<QButtonGroup> group_;
    trovix::TrackingWidgets widgets_;
    std::unique_ptr<trovix::WebEngineBrowser> browser_;
    RecordingPrompter prompter_;
    std::unique_ptr<trovix::TrackingPageDriver> driver_;
    QStringList completed_;
};

void DriverEndToEndTest::initTestCase()
{
    QVERIFY(aggregator_.listen());
    qputenv("TROVIX_AGGREGATOR_HOST_A", aggregator_.hostA().toUtf8());
    qputenv("TROVIX_AGGREGATOR_HOST_B", aggregator_.hostB().toUtf8());
}

void DriverEndToEndTest::init()
{
    form_ = std::make_unique<QWidget>();
    group_ = std::make_unique<QButtonGroup>();
    widgets_ = {};
    for (const trovix::Courier& courier : trovix::couriers()) {
        auto* button = new QRadioButton(courier.displayName, form_.get());
        group_->addButton(button);
        widgets_.options.append(button);
    }
    widgets_.text1 = new QLineEdit(form_.get());
    widgets_.text2 = new QLineEdit(form_.get());
    widgets_.label4 = new QLabel(form_.get());
    widgets_.label6 = new QLabel(form_.get());
    widgets_.label14 = new QLabel(form_.get());
    widgets_.image1 = new QLabel(form_.get());
    widgets_.command5 = new QPushButton(form_.get());
    widgets_.command5->setEnabled(false);
    widgets_.richTextBox3 = new QTextEdit(form_.get());
    widgets_.timer1 = new QTimer(form_.get());
    browser_ = std::make_unique<trovix::WebEngineBrowser>(form_.get());
    completed_.clear();
    connect(browser_.get(), &trovix::Browser::documentCompleted, this,
            [this](trovix::Browser::DocumentId, const QString& address) { completed_.append(address); });
    prompter_.asked.clear();
    driver_ = std::make_unique<trovix::TrackingPageDriver>(widgets_, *browser_, prompter_);
}

void DriverEndToEndTest::cleanup()
{
    driver_.reset();
    browser_.reset();
    form_.reset();
}

bool DriverEndToEndTest::waitForPage(const QString& path)
{
    const bool loaded = spinUntil([&] { return !completed_.isEmpty() && completed_.last().endsWith(path); });
    settle();
    return loaded;
}

void DriverEndToEndTest::settle()
{
    bool answered = false;
    browser_->readBodyText([&answered](const QString&) { answered = true; });
    spinUntil([&] { return answered; });
}

void DriverEndToEndTest::querySubmitsTheTrimmedNumberAndTheCodeBox()
{
    option(1)->click();
    QVERIFY(waitForPage(QStringLiteral("/all/ems.html")));
    QCOMPARE(completed_.last(), QStringLiteral("http://%1/all/ems.html").arg(aggregator_.hostA()));
    QVERIFY(widgets_.command5->isEnabled());
    QVERIFY(driver_->hasUserName() && driver_->hasPassword() && driver_->hasLoginButton());

    widgets_.text1->setText(QStringLiteral("  1234 5678  "));
    QCOMPARE(widgets_.label4->text(), QStringLiteral("1234 5678"));
    widgets_.text2->setText(QStringLiteral("kept while locked"));
    QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
    widgets_.command5->click();

    QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
    const SampleAggregator::Submission submission = aggregator_.submissions().last();
    QCOMPARE(submission.fields.value(QStringLiteral("postid")), QStringLiteral("1234 5678"));
    QCOMPARE(submission.fields.value(QStringLiteral("valicode")), QStringLiteral("kept while locked"));
}

void DriverEndToEndTest::telephoneRowSubmitsTheTelephoneField()
{
    option(14)->click();
    QCOMPARE(prompter_.asked.size(), 1);
    QVERIFY(waitForPage(QStringLiteral("/all/jjwl.html")));
    QCOMPARE(completed_.last(), trovix::telephonePageAddress());
    QVERIFY(driver_->hasPassword());

    widgets_.text1->setText(QStringLiteral("JJ0001"));
    widgets_.text2->setText(QStringLiteral("13800000000"));
    QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
    widgets_.command5->click();

    QVERIFY(spinUntil([&] { return submitted.size() == 1; }));
    const SampleAggregator::Submission submission = aggregator_.submissions().last();
    QCOMPARE(submission.fields.value(QStringLiteral("postid")), QStringLiteral("JJ0001"));
    QCOMPARE(submission.fields.value(QStringLiteral("valicodetel")), QStringLiteral("13800000000"));
}

void DriverEndToEndTest::rowsTwelveAndThirteenLoadDistinctPages()
{
    option(12)->click();
    QVERIFY(waitForPage(QStringLiteral("/all/dbwl.html")));
    QCOMPARE(browser_->view()->url().toString(),
             QStringLiteral("http://%1/all/dbwl.html").arg(aggregator_.hostB()));
    option(13)->click();
    QVERIFY(waitForPage(QStringLiteral("/all/xcjb.html")));
    QCOMPARE(browser_->view()->url().toString(),
             QStringLiteral("http://%1/all/xcjb.html").arg(aggregator_.hostB()));
}

void DriverEndToEndTest::framesetBindsFromTheLastDocument()
{
    browser_->navigate(QStringLiteral("http://%1/frames/index.html").arg(aggregator_.hostA()));
    QVERIFY(waitForPage(QStringLiteral("/frames/index.html")));
    QCOMPARE(completed_.size(), 3);
    QVERIFY(completed_.contains(QStringLiteral("http://%1/all/ems.html").arg(aggregator_.hostA())));
    // The query frame had the fields, but the frameset itself completed last.
    QVERIFY(!driver_->hasUserName() && !driver_->hasPassword() && !driver_->hasLoginButton());

    QSignalSpy submitted(&aggregator_, &SampleAggregator::submitted);
    widgets_.text1->setText(QStringLiteral("1"));
    widgets_.command5->click();
    settle();
    QVERIFY(submitted.isEmpty());
    QVERIFY(widgets_.timer1->isActive());
}

QTEST_MAIN(DriverEndToEndTest)
#include "test_driver_e2e.moc"
