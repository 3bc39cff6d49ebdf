#include "AggregatorHosts.h"
#include "RealWindow.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"
#include "window/DesktopProgram.h"
#include "window/Module1.h"

#include <QLabel>
#include <QTest>
#include <QWebEngineView>

using namespace trovix;

// Trovix's window with the real browser whose engine starts once the window is on
// screen, against the sample aggregator: start-up, the first page and the first courier
// behave as with an engine started at once.
class EngineAfterWindowTest : public QObject {
    Q_OBJECT

public:
    // As Trovix's main() does before its application exists.
    static void initMain() { prepareDesktopApplication(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(serveCourierPages(aggregator_));
        qputenv("TROVIX_HOME_PAGE", aggregator_.homePage().toUtf8());
        connect(&aggregator_, &SampleAggregator::requestServed, this,
                [this](const QString&, const QString& path) { served_.append(path); });
    }

    void cleanup() { Module1::remove(); }

    // The browser meanwhile stays out of sight and out of keyboard reach.
    void homePageLoadsOnceTheWindowIsShown()
    {
        RealWindow f(WebEngineBrowser::EngineStart::AfterWindowShown);
        QVERIFY(f.folderReady);
        served_.clear();
        QVERIFY(f.window.load());
        QCoreApplication::processEvents();
        QVERIFY(!f.browser.engineStarted());
        QVERIFY(!f.form().Command5->isEnabled());
        QVERIFY(!f.form().Timer1->isActive());

        f.form().show();
        QVERIFY(f.waitForPage(config::homePage()));
        QVERIFY(served_.contains(QStringLiteral("/home/")));
        // The page-loaded handling of the home page: Query enabled, the capture started.
        QVERIFY(f.form().Command5->isEnabled());
        QVERIFY(f.form().Timer1->isActive());
        QVERIFY(f.prompter.asked.isEmpty());

        // The engine's widgets, made after the window was shown, are placed and kept as the
        // view is.
        QWidget* client = f.form().WebBrowser1->parentWidget();
        QVERIFY(!client->rect().intersects(f.form().WebBrowser1->geometry()));
        const QList<QWidget*> inner = f.form().WebBrowser1->findChildren<QWidget*>();
        QVERIFY(!inner.isEmpty());
        for (QWidget* widget : inner)
            QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
    }

    void courierChosenInTheFirstInstantLoadsItsPage()
    {
        RealWindow f(WebEngineBrowser::EngineStart::AfterWindowShown);
        QVERIFY(f.folderReady);
        QVERIFY(f.window.load());
        f.form().Text3->setText(QStringLiteral("0"));
        f.form().show();
        // Before the engine is up: the choice is made at once, its page waits for the engine.
        QVERIFY(!f.browser.engineStarted());
        f.form().Option1->setChecked(true);
        const Courier& courier = *courierByRow(1);
        const QString page = trackingAddress(courier);
        QCOMPARE(f.form().Label6->text(), courier.displayName);
        QVERIFY(!f.form().Command5->isEnabled());

        QVERIFY(f.waitForPage(page));
        QCOMPARE(f.browser.view()->url().toString(), page);
        QVERIFY(f.form().Command5->isEnabled());

        // And its form takes a query.
        const QString number = SampleAggregator::knownNumbers().first();
        f.form().Text1->setText(number);
        QVERIFY(spinUntil([&] { return !f.form().Timer1->isActive(); }));
        f.form().Command5->click();
        const QString lastLine = SampleAggregator::historyLines(number).last();
        QVERIFY(spinUntil([&] { return boxText(f.form().RichTextBox3).contains(lastLine); }, 60000));
        QVERIFY(f.prompter.asked.isEmpty());
    }

    void desktopProgramStartsItsEngineAfterItsWindow()
    {
        {
            DesktopProgram program;
            QVERIFY(!program.browser().engineStarted());
            QCOMPARE(program.browser().view(), program.controllers().form()->WebBrowser1);
            // Only for the application's start: the programs Trovix starts must not inherit it.
            QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
        }
        // A choice of the user's own is left alone.
        qputenv("QT_XCB_GL_INTEGRATION", "glx");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("AA_ShareOpenGLContexts")));
        prepareDesktopApplication();
        DesktopProgram program;
        QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("glx"));
        qunsetenv("QT_XCB_GL_INTEGRATION");
    }

private:
    SampleAggregator aggregator_;
    QStringList served_;
};

QTEST_MAIN(EngineAfterWindowTest)
#include "test_engine_after_window.moc"
