#include "common/SystemColours.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "tracking/TrackingSession.h"

#include "StandInTracking.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

const QStringList allFields{QStringLiteral("postid"), QStringLiteral("valicode"), QStringLiteral("lika")};

// The tracking part of Form1, in its initial state, shown.
struct Window : StandInTracking {
    Window() { form.show(); }

    QColor text2Colour() const { return widgets.text2->palette().color(QPalette::Base); }

    trovix::TrackingPageDriver& driver = session->driver();
    QTimer* timer1 = widgets.timer1;
};

} // namespace

class DriverTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TROVIX_AGGREGATOR_HOST_A", "127.0.0.1:5000");
        qputenv("TROVIX_AGGREGATOR_HOST_B", "localhost:5000");
    }

    void selectionWithoutInput_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("address");
        QTest::newRow("EMS, form A") << 1 << QStringLiteral("http://127.0.0.1:5000/all/ems.html");
        QTest::newRow("row 12, form B") << 12 << QStringLiteral("http://localhost:5000/all/dbwl.html");
        QTest::newRow("row 13, form B") << 13 << QStringLiteral("http://localhost:5000/all/xcjb.html");
    }

    void selectionWithoutInput()
    {
        QFETCH(int, row);
        QFETCH(QString, address);
        Window window;
        window.widgets.text1->setText(QStringLiteral("SF1"));
        window.widgets.text2->setText(QStringLiteral("old code"));
        window.widgets.richTextBox3->setPlainText(QStringLiteral("history"));
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/all/ems.html"), allFields);
        window.timer1->stop();

        window.option(row)->click();

        QCOMPARE(window.text2Colour(), trovix::colours::systemColour(trovix::colours::ApplicationWorkspace));
        QVERIFY(window.widgets.text2->isReadOnly());
        QCOMPARE(window.widgets.text2->text(), QStringLiteral("old code"));
        QVERIFY(window.widgets.label14->isVisible());
        QCOMPARE(window.widgets.label14->text(), QStringLiteral("无需输入"));
        QVERIFY(window.widgets.image1->isHidden());
        QCOMPARE(window.widgets.label6->text(), trovix::courierByRow(row)->displayName);
        QCOMPARE(window.browser.navigations, QStringList{address});
        QVERIFY(window.prompter.asked.isEmpty());
        // Nothing else changes.
        QCOMPARE(window.widgets.label4->text(), QStringLiteral("SF1"));
        QCOMPARE(window.widgets.richTextBox3->toPlainText(), QStringLiteral("history"));
        QVERIFY(!window.timer1->isActive());
        QVERIFY(window.driver.hasUserName() && window.driver.hasPassword() && window.driver.hasLoginButton());
    }

    void selectionOfTheTelephoneRow()
    {
        Window window;
        window.option(2)->click();
        window.widgets.text2->setText(QStringLiteral("kept"));
        window.widgets.image1->show();
        QStringList navigationsWhileOpen;
        QString label6WhileOpen;
        QString label14WhileOpen;
        bool imageVisibleWhileOpen = false;
        window.prompter.whileOpen = [&] {
            navigationsWhileOpen = window.browser.navigations;
            label6WhileOpen = window.widgets.label6->text();
            label14WhileOpen = window.widgets.label14->text();
            imageVisibleWhileOpen = window.widgets.image1->isVisible();
        };

        window.option(14)->setChecked(true);

        QCOMPARE(window.text2Colour(), trovix::colours::systemColour(trovix::colours::InactiveBorder));
        QVERIFY(!window.widgets.text2->isReadOnly());
        QCOMPARE(window.widgets.text2->text(), QStringLiteral("kept"));
        QCOMPARE(window.widgets.label14->text(), QStringLiteral("输入电话号码"));
        QVERIFY(window.widgets.image1->isHidden());
        QCOMPARE(window.widgets.label6->text(), QStringLiteral("佳吉快运"));
        QCOMPARE(window.browser.navigations.last(), QStringLiteral("http://localhost:5000/all/jjwl.html"));

        QCOMPARE(window.prompter.asked.size(), 1);
        const trovix::MessageBoxRequest& box = window.prompter.asked.first();
        QCOMPARE(box.text, QStringLiteral("请输入电话号码"));
        QCOMPARE(box.caption, QString());
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.icon, QMessageBox::NoIcon);

        // The box comes after Label14 and before Image1, Label6 and the navigation.
        QCOMPARE(label14WhileOpen, QStringLiteral("输入电话号码"));
        QVERIFY(imageVisibleWhileOpen);
        QCOMPARE(label6WhileOpen, QStringLiteral("顺丰速递"));
        QCOMPARE(navigationsWhileOpen.size(), 1);
    }

    void codeBoxStateIsVisibleToStyleSheets()
    {
        Window window;
        window.widgets.text2->setObjectName(QStringLiteral("Text2"));
        window.form.setStyleSheet(
            QStringLiteral("QLineEdit#Text2[locked=\"true\"] { background: rgb(1, 2, 3); }"
                           "QLineEdit#Text2[locked=\"false\"] { background: rgb(4, 5, 6); }"));
        window.option(1)->click();
        QCOMPARE(window.widgets.text2->property("locked"), QVariant(true));
        QCOMPARE(window.text2Colour(), QColor(1, 2, 3));
        window.option(14)->click();
        QCOMPARE(window.widgets.text2->property("locked"), QVariant(false));
        QCOMPARE(window.text2Colour(), QColor(4, 5, 6));
    }

    void anyLoadEnablesQueryAndStartsTheCapture()
    {
        Window window;
        QVERIFY(!window.widgets.command5->isEnabled());
        QVERIFY(!window.timer1->isActive());

        window.browser.load(QStringLiteral("http://127.0.0.1:5000/home/"));

        QVERIFY(window.widgets.command5->isEnabled());
        QVERIFY(window.timer1->isActive());
        QVERIFY(!window.driver.hasUserName() && !window.driver.hasPassword() &&
                !window.driver.hasLoginButton());
    }

    void codeFieldIdFollowsTheExactAddress_data()
    {
        QTest::addColumn<QByteArray>("scheme"); // configured; empty: the default
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("codeField");
        QTest::newRow("telephone page, form B")
            << QByteArray() << QStringLiteral("http://localhost:5000/all/jjwl.html")
            << QStringLiteral("valicodetel");
        QTest::newRow("same page, form A")
            << QByteArray() << QStringLiteral("http://127.0.0.1:5000/all/jjwl.html")
            << QStringLiteral("valicode");
        QTest::newRow("with a query")
            << QByteArray() << QStringLiteral("http://localhost:5000/all/jjwl.html?x=1")
            << QStringLiteral("valicode");
        QTest::newRow("other case") << QByteArray() << QStringLiteral("http://LOCALHOST:5000/all/jjwl.html")
                                    << QStringLiteral("valicode");
        QTest::newRow("other page") << QByteArray() << QStringLiteral("http://localhost:5000/all/dbwl.html")
                                    << QStringLiteral("valicode");
        QTest::newRow("https site, telephone page")
            << QByteArray("https") << QStringLiteral("https://localhost:5000/all/jjwl.html")
            << QStringLiteral("valicodetel");
        QTest::newRow("https site, page over http")
            << QByteArray("https") << QStringLiteral("http://localhost:5000/all/jjwl.html")
            << QStringLiteral("valicode");
        QTest::newRow("http site, page over https")
            << QByteArray("http") << QStringLiteral("https://localhost:5000/all/jjwl.html")
            << QStringLiteral("valicode");
    }

    void codeFieldIdFollowsTheExactAddress()
    {
        QFETCH(QByteArray, scheme);
        QFETCH(QString, address);
        QFETCH(QString, codeField);
        qputenv("TROVIX_AGGREGATOR_SCHEME", scheme);
        const auto defaultScheme = qScopeGuard([] { qunsetenv("TROVIX_AGGREGATOR_SCHEME"); });
        Window window;

        window.browser.load(address, {QStringLiteral("postid"), codeField, QStringLiteral("lika")});

        QCOMPARE(window.browser.bindCalls.size(), 1);
        QStringList bound;
        for (const trovix::ElementBinding& binding : window.browser.bindCalls.first().bindings)
            bound.append(binding.reference + QLatin1Char('=') + binding.elementId);
        QCOMPARE(bound, (QStringList{QStringLiteral("objUserName=postid"),
                                     QStringLiteral("objpassword=") + codeField,
                                     QStringLiteral("objloginbutton=lika")}));
        QVERIFY(window.driver.hasPassword());
    }

    void referencesComeFromTheLastDocument()
    {
        Window window;
        const int frame = window.browser.load(QStringLiteral("http://127.0.0.1:5000/frame.html"), allFields);
        QVERIFY(window.driver.hasUserName());
        const int top = window.browser.load(QStringLiteral("http://127.0.0.1:5000/frameset.html"));

        QCOMPARE(window.browser.bindCalls.size(), 2);
        QCOMPARE(window.browser.bindCalls.at(0).document, frame);
        QCOMPARE(window.browser.bindCalls.at(1).document, top);
        QVERIFY(!window.driver.hasUserName() && !window.driver.hasPassword() &&
                !window.driver.hasLoginButton());
    }

    void queryWithoutReferencesSubmitsNothing_data()
    {
        QTest::addColumn<QStringList>("elements");
        QTest::newRow("no elements") << QStringList();
        QTest::newRow("no waybill field") << QStringList{QStringLiteral("valicode"), QStringLiteral("lika")};
        QTest::newRow("no submit button")
            << QStringList{QStringLiteral("postid"), QStringLiteral("valicode")};
    }

    void queryWithoutReferencesSubmitsNothing()
    {
        QFETCH(QStringList, elements);
        Window window;
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/all/ems.html"), elements);
        window.timer1->stop();
        window.widgets.richTextBox3->setPlainText(QStringLiteral("earlier result"));

        window.widgets.command5->click();

        QVERIFY(window.widgets.richTextBox3->toPlainText().isEmpty());
        QVERIFY(window.timer1->isActive());
        QVERIFY(window.browser.valueCalls.isEmpty());
        QVERIFY(window.browser.clickCalls.isEmpty());
        QVERIFY(window.prompter.asked.isEmpty());
    }

    void querySubmitsLabel4AndTheCodeBox()
    {
        Window window;
        window.option(14)->click();
        window.browser.load(
            QStringLiteral("http://localhost:5000/all/jjwl.html"),
            {QStringLiteral("postid"), QStringLiteral("valicodetel"), QStringLiteral("lika")});
        window.widgets.text1->setText(QStringLiteral("typed"));
        window.widgets.label4->setText(QStringLiteral("picked from the list"));
        window.widgets.text2->setText(QStringLiteral("13800000000"));

        window.widgets.command5->click();

        QCOMPARE(window.browser.valueCalls.size(), 2);
        QCOMPARE(window.browser.valueCalls.at(0).reference, QStringLiteral("objUserName"));
        QCOMPARE(window.browser.valueCalls.at(0).text, QStringLiteral("picked from the list"));
        QCOMPARE(window.browser.valueCalls.at(1).reference, QStringLiteral("objpassword"));
        QCOMPARE(window.browser.valueCalls.at(1).text, QStringLiteral("13800000000"));
        QCOMPARE(window.browser.boundElement(QStringLiteral("objpassword")), QStringLiteral("valicodetel"));
        QCOMPARE(window.browser.clickCalls, QStringList{QStringLiteral("objloginbutton")});
    }

    void queryWithoutCodeFieldStillSubmits()
    {
        Window window;
        window.option(1)->click();
        window.widgets.text2->setText(QStringLiteral("locked text"));
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/all/ems.html"),
                            {QStringLiteral("postid"), QStringLiteral("lika")});
        window.widgets.text1->setText(QStringLiteral("EMS 1"));

        window.widgets.command5->click();

        QVERIFY(!window.driver.hasPassword());
        QCOMPARE(window.browser.valueCalls.size(), 1);
        QCOMPARE(window.browser.valueCalls.at(0).reference, QStringLiteral("objUserName"));
        QCOMPARE(window.browser.valueCalls.at(0).text, QStringLiteral("EMS 1"));
        QCOMPARE(window.browser.clickCalls, QStringList{QStringLiteral("objloginbutton")});
    }

    void queryWaitsForTheLookupOfTheLatestDocument()
    {
        Window window;
        window.browser.delivery = FakeBrowser::Delivery::Queued;
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/home/"));
        QTRY_COMPARE(window.browser.bindCalls.size(), 1);
        QCoreApplication::processEvents();
        window.widgets.label4->setText(QStringLiteral("SF100"));

        window.browser.load(QStringLiteral("http://127.0.0.1:5000/all/sf.html"), allFields);
        window.widgets.command5->click();
        window.widgets.label4->setText(QStringLiteral("changed after the click"));

        QVERIFY(window.browser.valueCalls.isEmpty());
        QTRY_COMPARE(window.browser.clickCalls.size(), 1);
        QCOMPARE(window.browser.valueCalls.size(), 2);
        QCOMPARE(window.browser.valueCalls.at(0).text, QStringLiteral("SF100"));
    }

    void runningCaptureCountdownKeptByPageLoadsRestartedByQuery_data()
    {
        QTest::addColumn<bool>("byQuery");
        QTest::newRow("another document completes") << false;
        QTest::newRow("Query") << true;
    }

    void runningCaptureCountdownKeptByPageLoadsRestartedByQuery()
    {
        QFETCH(bool, byQuery);
        Window window;
        QTimer* timer1 = window.timer1;
        timer1->setInterval(60000);
        // A coarse timer may snap a restart to the countdown's old end.
        timer1->setTimerType(Qt::PreciseTimer);
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/all/ems.html"), allFields);
        QVERIFY(timer1->isActive());
        const int started = timer1->remainingTime();
        QTRY_VERIFY(timer1->remainingTime() < started - 200);
        const int left = timer1->remainingTime();

        if (byQuery)
            window.widgets.command5->click();
        else
            window.browser.load(QStringLiteral("http://127.0.0.1:5000/ads/frame.html"));

        QVERIFY(timer1->isActive());
        // Query gives the page the whole read delay after its submission.
        if (byQuery)
            QVERIFY2(timer1->remainingTime() > left, qPrintable(QString::number(timer1->remainingTime())));
        else
            QVERIFY2(timer1->remainingTime() <= left, qPrintable(QString::number(timer1->remainingTime())));
    }

    void captureReadingThePageAppendsBeforeQueryEmptiesTheBox()
    {
        Window window;
        QSignalSpy finished(window.session.get(), &trovix::TrackingSession::captureFinished);
        window.browser.load(QStringLiteral("http://127.0.0.1:5000/query/ems.html"), allFields);
        window.timer1->stop();
        window.browser.delivery = FakeBrowser::Delivery::Queued;
        window.browser.bodyText =
            QStringLiteral("时间地点和跟踪进度\r\nthe page before Query\r\n 收藏本站，方便下次查询");

        window.session->capture().capture();
        QCOMPARE(window.browser.bodyTextReads, 1);
        window.widgets.command5->click();
        // Query takes its turn after the capture, as it would on one thread.
        QVERIFY(window.browser.clickCalls.isEmpty());

        QVERIFY(finished.wait());
        QTRY_COMPARE(window.browser.clickCalls.size(), 1);
        QCOMPARE(trovix::boxText(window.widgets.richTextBox3), QString());
        QVERIFY(window.timer1->isActive());
        QVERIFY(window.prompter.asked.isEmpty());
    }

    void waybillInputIsTrimmedOfBlanks_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("blanks around") << QStringLiteral("  1234 5678  ") << QStringLiteral("1234 5678");
        QTest::newRow("inner blanks stay") << QStringLiteral("12  34") << QStringLiteral("12  34");
        QTest::newRow("only blanks") << QStringLiteral("   ") << QString();
        QTest::newRow("tabs are not blanks") << QStringLiteral("\t12\t") << QStringLiteral("\t12\t");
        QTest::newRow("ideographic space is not a blank")
            << QStringLiteral("\u300012") << QStringLiteral("\u300012");
        QTest::newRow("emoji") << QStringLiteral(" 📦1 ") << QStringLiteral("📦1");
    }

    void waybillInputIsTrimmedOfBlanks()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Window window;
        QSignalSpy changes(window.widgets.text1, &QLineEdit::textChanged);

        window.widgets.text1->setText(typed);

        QCOMPARE(window.widgets.text1->text(), kept);
        QCOMPARE(window.widgets.label4->text(), kept);
        QCOMPARE(changes.size(), typed == kept ? 1 : 2);
    }

    void waybillInputIsNotMarkup()
    {
        Window window;
        const QString number = QStringLiteral("<b>1</b>&amp;\"'");
        window.widgets.text1->setText(number);
        QCOMPARE(window.widgets.label4->text(), number);
        QCOMPARE(window.widgets.label4->textFormat(), Qt::PlainText);
        QCOMPARE(window.widgets.label6->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(DriverTest)
#include "test_driver.moc"
