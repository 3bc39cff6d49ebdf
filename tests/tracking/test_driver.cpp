#include "common/SystemColours.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "tracking/TrackingSession.h"

#include "StandInTracking.h"
#include "TrackingBoxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList allFields{u"postid"_s, u"valicode"_s, u"lika"_s};

// The tracking part of Form1, in its initial state, shown.
struct Window : StandInTracking {
    Window() { form.show(); }

    QColor text2Colour() const { return widgets.text2->palette().color(QPalette::Base); }

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
        QTest::newRow("EMS, form A") << 1 << u"http://127.0.0.1:5000/all/ems.html"_s;
        QTest::newRow("row 12, form B") << 12 << u"http://localhost:5000/all/dbwl.html"_s;
        QTest::newRow("row 13, form B") << 13 << u"http://localhost:5000/all/xcjb.html"_s;
    }

    void selectionWithoutInput()
    {
        QFETCH(int, row);
        QFETCH(QString, address);
        Window window;
        window.widgets.text1->setText(u"SF1"_s);
        window.widgets.text2->setText(u"old code"_s);
        window.widgets.richTextBox3->setPlainText(u"history"_s);
        window.browser.load(u"http://127.0.0.1:5000/all/ems.html"_s, allFields);
        window.timer1->stop();

        window.option(row)->click();

        QCOMPARE(window.text2Colour(), trovix::colours::systemColour(trovix::colours::ApplicationWorkspace));
        QVERIFY(window.widgets.text2->isReadOnly());
        QCOMPARE(window.widgets.text2->text(), u"old code"_s);
        QVERIFY(window.widgets.label14->isVisible());
        QCOMPARE(window.widgets.label14->text(), u"无需输入"_s);
        QVERIFY(window.widgets.image1->isHidden());
        QCOMPARE(window.widgets.label6->text(), trovix::courierByRow(row)->displayName);
        QCOMPARE(window.browser.navigations, QStringList{address});
        QVERIFY(window.prompter.asked.isEmpty());
        // Nothing else changes.
        QCOMPARE(window.widgets.label4->text(), u"SF1"_s);
        QCOMPARE(window.widgets.richTextBox3->toPlainText(), u"history"_s);
        QVERIFY(!window.timer1->isActive());
    }

    void selectionOfTheTelephoneRow()
    {
        Window window;
        window.option(2)->click();
        window.widgets.text2->setText(u"kept"_s);
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
        QCOMPARE(window.widgets.text2->text(), u"kept"_s);
        QCOMPARE(window.widgets.label14->text(), u"输入电话号码"_s);
        QVERIFY(window.widgets.image1->isHidden());
        QCOMPARE(window.widgets.label6->text(), u"佳吉快运"_s);
        QCOMPARE(window.browser.navigations.last(), u"http://localhost:5000/all/jjwl.html"_s);

        QCOMPARE(window.prompter.asked, QList{telephoneBox()});

        // The box comes after Label14 and before Image1, Label6 and the navigation.
        QCOMPARE(label14WhileOpen, u"输入电话号码"_s);
        QVERIFY(imageVisibleWhileOpen);
        QCOMPARE(label6WhileOpen, u"顺丰速递"_s);
        QCOMPARE(navigationsWhileOpen.size(), 1);
    }

    void codeBoxStateIsVisibleToStyleSheets()
    {
        Window window;
        window.widgets.text2->setObjectName(u"Text2"_s);
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

        window.browser.load(u"http://127.0.0.1:5000/home/"_s);

        QVERIFY(window.widgets.command5->isEnabled());
        QVERIFY(window.timer1->isActive());
    }

    void codeFieldIdFollowsTheExactAddress_data()
    {
        QTest::addColumn<QByteArray>("scheme"); // configured; empty: the default
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("codeField");
        const auto row = [](const char* name, const char* scheme, const char* address,
                            const char* codeField) {
            QTest::newRow(name) << QByteArray(scheme) << QString::fromUtf8(address)
                                << QString::fromUtf8(codeField);
        };
        row("telephone page, form B", "", "http://localhost:5000/all/jjwl.html", "valicodetel");
        row("same page, form A", "", "http://127.0.0.1:5000/all/jjwl.html", "valicode");
        row("with a query", "", "http://localhost:5000/all/jjwl.html?x=1", "valicode");
        row("other case", "", "http://LOCALHOST:5000/all/jjwl.html", "valicode");
        row("other page", "", "http://localhost:5000/all/dbwl.html", "valicode");
        row("https site, telephone page", "https", "https://localhost:5000/all/jjwl.html", "valicodetel");
        row("https site, page over http", "https", "http://localhost:5000/all/jjwl.html", "valicode");
        row("http site, page over https", "http", "https://localhost:5000/all/jjwl.html", "valicode");
    }

    void codeFieldIdFollowsTheExactAddress()
    {
        QFETCH(QByteArray, scheme);
        QFETCH(QString, address);
        QFETCH(QString, codeField);
        qputenv("TROVIX_AGGREGATOR_SCHEME", scheme);
        const auto defaultScheme = qScopeGuard([] { qunsetenv("TROVIX_AGGREGATOR_SCHEME"); });
        Window window;

        window.browser.load(address, {u"postid"_s, codeField, u"lika"_s});

        QCOMPARE(window.browser.bindCalls.size(), 1);
        QStringList bound;
        for (const trovix::ElementBinding& binding : window.browser.bindCalls.first().bindings)
            bound.append(binding.reference + QLatin1Char('=') + binding.elementId);
        QCOMPARE(bound, (QStringList{u"objUserName=postid"_s, u"objpassword="_s + codeField,
                                     u"objloginbutton=lika"_s}));
        window.widgets.command5->click();
        QCOMPARE(window.browser.valueCalls.size(), 2);
    }

    void referencesComeFromTheLastDocument()
    {
        Window window;
        const int frame = window.browser.load(u"http://127.0.0.1:5000/frame.html"_s, allFields);
        window.widgets.command5->click();
        QCOMPARE(window.browser.clickCalls.size(), 1);
        const int top = window.browser.load(u"http://127.0.0.1:5000/frameset.html"_s);
        window.widgets.command5->click();

        QCOMPARE(window.browser.bindCalls.size(), 2);
        QCOMPARE(window.browser.bindCalls.at(0).document, frame);
        QCOMPARE(window.browser.bindCalls.at(1).document, top);
        QCOMPARE(window.browser.valueCalls.size(), 2);
        QCOMPARE(window.browser.clickCalls.size(), 1);
    }

    void queryWithoutReferencesSubmitsNothing_data()
    {
        QTest::addColumn<QStringList>("elements");
        QTest::newRow("no elements") << QStringList();
        QTest::newRow("no waybill field") << QStringList{u"valicode"_s, u"lika"_s};
        QTest::newRow("no submit button") << QStringList{u"postid"_s, u"valicode"_s};
    }

    void queryWithoutReferencesSubmitsNothing()
    {
        QFETCH(QStringList, elements);
        Window window;
        window.browser.load(u"http://127.0.0.1:5000/all/ems.html"_s, elements);
        window.timer1->stop();
        window.widgets.richTextBox3->setPlainText(u"earlier result"_s);

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
        window.browser.load(u"http://localhost:5000/all/jjwl.html"_s,
                            {u"postid"_s, u"valicodetel"_s, u"lika"_s});
        window.widgets.text1->setText(u"typed"_s);
        window.widgets.label4->setText(u"picked from the list"_s);
        window.widgets.text2->setText(u"13800000000"_s);

        window.widgets.command5->click();

        QCOMPARE(window.browser.valueCalls.size(), 2);
        QCOMPARE(window.browser.valueCalls.at(0).reference, u"objUserName"_s);
        QCOMPARE(window.browser.valueCalls.at(0).text, u"picked from the list"_s);
        QCOMPARE(window.browser.valueCalls.at(1).reference, u"objpassword"_s);
        QCOMPARE(window.browser.valueCalls.at(1).text, u"13800000000"_s);
        QCOMPARE(window.browser.boundElement(u"objpassword"_s), u"valicodetel"_s);
        QCOMPARE(window.browser.clickCalls, QStringList{u"objloginbutton"_s});
    }

    void queryWithoutCodeFieldStillSubmits()
    {
        Window window;
        window.option(1)->click();
        window.widgets.text2->setText(u"locked text"_s);
        window.browser.load(u"http://127.0.0.1:5000/all/ems.html"_s, {u"postid"_s, u"lika"_s});
        window.widgets.text1->setText(u"EMS 1"_s);

        window.widgets.command5->click();

        QCOMPARE(window.browser.valueCalls.size(), 1);
        QCOMPARE(window.browser.valueCalls.at(0).reference, u"objUserName"_s);
        QCOMPARE(window.browser.valueCalls.at(0).text, u"EMS 1"_s);
        QCOMPARE(window.browser.clickCalls, QStringList{u"objloginbutton"_s});
    }

    void queryWaitsForTheLookupOfTheLatestDocument()
    {
        Window window;
        window.browser.delivery = FakeBrowser::Delivery::Held;
        window.browser.load(u"http://127.0.0.1:5000/home/"_s);
        window.browser.deliverHeld();
        window.widgets.label4->setText(u"SF100"_s);

        window.browser.load(u"http://127.0.0.1:5000/all/sf.html"_s, allFields);
        window.widgets.command5->click();
        window.widgets.label4->setText(u"changed after the click"_s);

        QVERIFY(window.browser.valueCalls.isEmpty());
        window.browser.deliverHeld();
        QCOMPARE(window.browser.clickCalls.size(), 1);
        QCOMPARE(window.browser.valueCalls.size(), 2);
        QCOMPARE(window.browser.valueCalls.at(0).text, u"SF100"_s);
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
        window.browser.load(u"http://127.0.0.1:5000/all/ems.html"_s, allFields);
        QVERIFY(timer1->isActive());
        const int started = timer1->remainingTime();
        QTRY_VERIFY(timer1->remainingTime() < started - 200);
        const int left = timer1->remainingTime();

        if (byQuery)
            window.widgets.command5->click();
        else
            window.browser.load(u"http://127.0.0.1:5000/ads/frame.html"_s);

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
        window.browser.load(u"http://127.0.0.1:5000/query/ems.html"_s, allFields);
        window.browser.delivery = FakeBrowser::Delivery::Held;
        window.browser.bodyText = u"时间地点和跟踪进度\r\nthe page before Query\r\n 收藏本站，方便下次查询"_s;

        QVERIFY(window.expireTimer1());
        QCOMPARE(window.browser.bodyTextReads, 1);
        window.widgets.command5->click();
        // Query takes its turn after the capture, as it would on one thread.
        QVERIFY(window.browser.clickCalls.isEmpty());

        window.browser.deliverHeld();
        QVERIFY(finished.wait());
        QTRY_COMPARE(window.browser.clickCalls.size(), 1);
        QCOMPARE(trovix::boxText(window.widgets.richTextBox3), QString());
        QVERIFY(window.timer1->isActive());
        QVERIFY(window.prompter.asked.isEmpty());
    }

    void waybillInputIsTrimmedOfBlanksAndShownAsText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("blanks around") << u"  1234 5678  "_s << u"1234 5678"_s;
        QTest::newRow("inner blanks stay") << u"12  34"_s << u"12  34"_s;
        QTest::newRow("only blanks") << u"   "_s << QString();
        QTest::newRow("tabs are not blanks") << u"\t12\t"_s << u"\t12\t"_s;
        QTest::newRow("ideographic space is not a blank") << u"\u300012"_s << u"\u300012"_s;
        QTest::newRow("emoji") << u" 📦1 "_s << u"📦1"_s;
        QTest::newRow("markup") << u"<b>1</b>&amp;\"'"_s << u"<b>1</b>&amp;\"'"_s;
    }

    void waybillInputIsTrimmedOfBlanksAndShownAsText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Window window;
        QSignalSpy changes(window.widgets.text1, &QLineEdit::textChanged);

        window.widgets.text1->setText(typed);

        QCOMPARE(window.widgets.text1->text(), kept);
        QCOMPARE(window.widgets.label4->text(), kept);
        QCOMPARE(changes.size(), typed == kept ? 1 : 2);
        // Shown as typed, never as markup.
        QCOMPARE(window.widgets.label4->textFormat(), Qt::PlainText);
        QCOMPARE(window.widgets.label6->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(DriverTest)
#include "test_driver.moc"
