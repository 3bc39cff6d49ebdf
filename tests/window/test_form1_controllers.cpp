#include "FakeBrowser.h"
#include "FileBytes.h"
#include "StandInServices.h"
#include "TempProgramFolder.h"
#include "WriteFile.h"

#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "waybills/WaybillStore.h"
#include "window/AboutWindow.h"
#include "window/Form1.h"
#include "window/Form1Controllers.h"
#include "window/Form2.h"
#include "window/Module1.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace trovix;

namespace {

const QDateTime StartMoment(QDate(2026, 3, 7), QTime(7, 5, 9));
const QByteArray VersionKey("[Ver]\r\nappver=1.2\r\n");
const QStringList PageFields{QStringLiteral("postid"), QStringLiteral("valicode"), QStringLiteral("lika")};

} // namespace

class Form1ControllersTest : public QObject {
    Q_OBJECT

    struct Fixture : StandInServices {
        explicit Fixture(bool withDatabase = true)
        {
            if (withDatabase)
                QVERIFY(folder.copyFromBuild(QStringLiteral("yundan.mdb")));
        }
        TempProgramFolder folder;
        FakeBrowser browser;
        int programEnds = 0;
        Form1Controllers window{services(
            browser, nullptr, [] { return StartMoment; }, folder.programFolder(), [this] { ++programEnds; })};
        Form1& form() { return *window.form(); }
    };

private Q_SLOTS:
    void cleanup() { Module1::remove(); }

    void startUpRunsInItsOrder()
    {
        Fixture f;
        bool versionRecordedBeforeSkin = false;
        bool navigatedBeforeSkin = false;
        bool lockedBeforeSkin = true;
        f.skins.onAttach = [&] {
            versionRecordedBeforeSkin = QFile::exists(f.folder.file(QStringLiteral("config.ini")));
            navigatedBeforeSkin = f.browser.navigations == QStringList{config::homePage()};
            lockedBeforeSkin = Module1::isInstalled();
        };
        QVERIFY(f.window.load());

        QVERIFY(versionRecordedBeforeSkin);
        QVERIFY(navigatedBeforeSkin);
        QVERIFY(!lockedBeforeSkin);
        QCOMPARE(f.skins.calls.size(), 1);
        QCOMPARE(f.skins.calls[0].operation, QStringLiteral("SkinH_Attach"));
        QVERIFY(f.form().moren->isChecked());
        const QList<QAction*> entries = f.form().skinEntries();
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(entries.at(i)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_F1 + i)));
        QVERIFY(Module1::isInstalled());
        QCOMPARE(fileBytes(f.folder.file(QStringLiteral("config.ini"))), VersionKey);
        QCOMPARE(f.form().Label8->text(), QStringLiteral("07:05:09"));
        QCOMPARE(f.form().Label12->text(), QStringLiteral("2026年03月07日"));
        QCOMPARE(f.form().DataGrid1->model()->rowCount(), 0);
        QVERIFY(f.prompter.asked.isEmpty());
        QVERIFY(!f.form().Command5->isEnabled());
        for (QRadioButton* option : f.form().options())
            QVERIFY(!option->isChecked());
    }

    void startingTwiceLeavesOneVersionKey()
    {
        Fixture first;
        QVERIFY(first.window.load());
        Module1::remove();
        FakeBrowser browser;
        StandInServices standIns;
        Form1Controllers second(standIns.services(
            browser, nullptr, [] { return StartMoment; }, first.folder.programFolder()));
        QVERIFY(second.load());
        QCOMPARE(fileBytes(first.folder.file(QStringLiteral("config.ini"))), VersionKey);
    }

    void startUpFailsOnABadDatabase_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a database") << QByteArray("this is not a database file\n");
    }

    void startUpFailsOnABadDatabase()
    {
        QFETCH(QByteArray, content);
        Fixture f(false);
        const QString database = f.folder.file(QStringLiteral("yundan.mdb"));
        if (!content.isEmpty())
            QVERIFY(writeFile(database, content));
        bool lockedWhenReported = false;
        f.prompter.whileOpen = [&] { lockedWhenReported = Module1::isInstalled(); };

        QVERIFY(!f.window.load());
        QCOMPARE(f.prompter.asked.size(), 1);
        const MessageBoxRequest& report = f.prompter.asked.first();
        QVERIFY(!report.text.isEmpty());
        QCOMPARE(report, (MessageBoxRequest{report.text, QString(), QMessageBox::Ok, QMessageBox::Critical}));
        QVERIFY(lockedWhenReported);
        QVERIFY(QFile::exists(f.folder.file(QStringLiteral("config.ini"))));
        QCOMPARE(fileBytes(database), content);
        QCOMPARE(QFile::exists(database), !content.isEmpty());
    }

    void closingAlwaysAsksAndCancelKeepsEverything()
    {
        Fixture f;
        QVERIFY(f.window.load());
        f.form().show();
        f.form().Text1->setText(QStringLiteral("SF1"));
        f.form().Command6->click();
        f.form().Option2->setChecked(true);
        const QSize locked = f.form().size();

        f.prompter.answers = {QMessageBox::Cancel};
        QVERIFY(!f.form().close());
        const MessageBoxRequest question{
            QStringLiteral("欢迎访问") + config::homeHost() + QStringLiteral("！！！确要退出吗？？？"),
            QStringLiteral("Trovix"), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon};
        QCOMPARE(f.prompter.asked, QList<MessageBoxRequest>{question});
        QVERIFY(f.form().isVisible());
        QVERIFY(Module1::isInstalled());
        QCOMPARE(f.form().size(), locked);
        QCOMPARE(f.form().Label4->text(), QStringLiteral("SF1"));
        QCOMPARE(f.form().Label6->text(), QStringLiteral("顺丰速递"));
        QCOMPARE(f.form().DataGrid1->model()->rowCount(), 1);

        f.prompter.answers = {QMessageBox::Ok};
        QVERIFY(f.form().close());
        QVERIFY(!Module1::isInstalled());
    }

    void closingEndsTheWindowsWorkWhileAboutStaysOpen()
    {
        Fixture f;
        QVERIFY(f.window.load());
        f.form().show();
        f.form().gy->trigger();
        const QPointer<Form2> about = f.window.about().window();
        const QPointer<Form1> form = &f.form();
        const QPointer<QTimer> timer1 = f.form().Timer1;
        const QPointer<QTimer> timer2 = f.form().Timer2;
        f.form().Text3->setText(QStringLiteral("0"));
        f.form().Option1->setChecked(true);
        const QString page = trackingAddress(*courierByRow(1));
        f.browser.load(page, PageFields);
        // A capture is due, and what it would read says "sorry".
        QVERIFY(timer1->isActive());
        f.browser.bodyText = QStringLiteral("时间地点和跟踪进度\r\n\r\n 收藏本站，方便下次查询");
        const qsizetype lookups = f.browser.bindCalls.size();

        f.prompter.answers = {QMessageBox::Ok};
        QVERIFY(f.form().close());

        QVERIFY(!timer1->isActive());
        QVERIFY(!timer2->isActive());
        f.browser.load(page, PageFields);
        QTRY_VERIFY(form.isNull());
        QVERIFY(!f.window.form());
        QCOMPARE(f.browser.bindCalls.size(), lookups);
        QCOMPARE(f.browser.bodyTextReads, 0);
        QCOMPARE(f.prompter.asked.size(), 1);
        QVERIFY(!QFile::exists(f.folder.file(QStringLiteral("temp.txt"))));
        QVERIFY(about && about->isVisible());
        about->close();
    }

    void aQueryRunsThroughTheWholeWindow()
    {
        Fixture f;
        QVERIFY(f.window.load());
        f.form().Text3->setText(QStringLiteral("0"));
        f.form().Option1->setChecked(true);
        const QString page = trackingAddress(*courierByRow(1));
        QCOMPARE(f.browser.navigations.last(), page);
        f.browser.load(page, PageFields);
        QVERIFY(f.form().Command5->isEnabled());
        QTRY_VERIFY(!f.form().Timer1->isActive()); // the capture after the page load

        f.form().Text1->setText(QStringLiteral(" EA1 "));
        f.browser.bodyText = QStringLiteral("广告\r\n时间地点和跟踪进度\r\n2026-03-07 09:15\t上海\t已揽收\r\n"
                                            " 收藏本站，方便下次查询\r\n页脚");
        f.form().RichTextBox3->setPlainText(QStringLiteral("old"));
        f.form().Command5->click();
        // Query takes its turn after the capture, which works off the window's thread.
        QTRY_VERIFY(!f.browser.valueCalls.isEmpty());
        QCOMPARE(f.browser.valueCalls.first().text, QStringLiteral("EA1"));
        QCOMPARE(f.browser.clickCalls, QStringList{QStringLiteral("objloginbutton")});
        QTRY_COMPARE(boxText(f.form().RichTextBox3), QStringLiteral("2026-03-07 09:15\t上海\t已揽收\r\n"));
        QVERIFY(!QFile::exists(f.folder.file(QStringLiteral("temp.txt"))));
        QVERIFY(f.prompter.asked.isEmpty());
    }

    void menuCommandsAct()
    {
        Fixture f;
        QVERIFY(f.window.load());
        f.form().gy->trigger();
        QVERIFY(f.window.about().window());
        QVERIFY(f.window.about().window()->isVisible());
        f.window.about().window()->close();

        // No update program in this folder: the failure is reported, then Trovix ends.
        f.form().jcgx->trigger();
        QCOMPARE(f.prompter.asked.size(), 1);
        QCOMPARE(f.programEnds, 1);
    }

    void ownSiteAndBlogLinksOpenTheUsersBrowser()
    {
        Fixture f;
        QVERIFY(f.window.load());
        f.form().Command7->click();
        QVERIFY(f.opener.opened.isEmpty());
        f.form().Option3->setChecked(true);
        f.form().Command7->click();
        QCOMPARE(f.opener.opened, QStringList{QStringLiteral("http://") + courierByRow(3)->siteHost});
    }
};

QTEST_MAIN(Form1ControllersTest)
#include "test_form1_controllers.moc"
