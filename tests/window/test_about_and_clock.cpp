#include "Recorders.h"
#include "window/AboutWindow.h"
#include "window/ClickableLabel.h"
#include "window/Clock.h"
#include "window/Form2.h"

#include "common/Configuration.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

using namespace trovix;

class AboutAndClockTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aboutWindowHoldsItsTenLabels()
    {
        Form2 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(form.size(), QSize(376, 229));
        QCOMPARE(form.findChildren<QLabel*>().size(), 10);
        const QRect title = form.findChild<QLabel*>(u"Label5"_s)->geometry();
        QCOMPARE(title.topLeft(), QPoint(96, 8));
        QVERIFY(title.width() >= 177 && title.height() >= 22);
        QCOMPARE(form.findChild<QLabel*>(u"Label2"_s)->text(), QStringLiteral("V 1.2"));
        const QString address =
            form.Label10->toolTip().isEmpty() ? form.Label10->text() : form.Label10->toolTip();
        QCOMPARE(address, config::homePage());
        // Nothing is clipped: every label holds its text and stays inside the window.
        for (QLabel* label : form.findChildren<QLabel*>()) {
            QVERIFY2(QRect(QPoint(), form.size()).contains(label->geometry()),
                     qPrintable(label->objectName()));
            if (!label->wordWrap())
                QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->objectName()));
        }
        QVERIFY(form.findChild<QLabel*>(u"Label4"_s)->text().endsWith(QLatin1Char('\n')));
    }

    void oneAboutWindowAtATimeBuiltAnewAfterClose()
    {
        RecordingUrlOpener opener;
        AboutWindow about;
        about.show();
        QPointer<Form2> first = about.window();
        QVERIFY(first);
        QVERIFY(!first->parentWidget());
        about.show();
        QCOMPARE(about.window(), first.data());
        first->close();
        QTRY_VERIFY(!first);
        about.show();
        QVERIFY(about.window());
        QTest::mouseClick(about.window()->Label10, Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList{config::homePage()});
        about.window()->close();
    }

    void clockKeepsTheStartUpDateAcrossMidnight()
    {
        QLabel label8, label12;
        QTimer timer2;
        QDateTime now(QDate(2026, 3, 7), QTime(23, 59, 59));
        Clock clock(&label8, &label12, &timer2, [&now] { return now; });
        clock.showTimeAndDate();
        QCOMPARE(label8.text(), QStringLiteral("23:59:59"));
        QCOMPARE(label12.text(), QStringLiteral("2026年03月07日"));
        now = QDateTime(QDate(2026, 3, 8), QTime(0, 0, 1));
        timer2.setInterval(0);
        timer2.start();
        QTRY_COMPARE(label8.text(), QStringLiteral("00:00:01"));
        QCOMPARE(label12.text(), QStringLiteral("2026年03月07日"));
        now = QDateTime(QDate(2026, 3, 8), QTime(7, 5, 9));
        clock.tick();
        QCOMPARE(label8.text(), QStringLiteral("07:05:09"));
    }
};

QTEST_MAIN(AboutAndClockTest)
#include "test_about_and_clock.moc"
