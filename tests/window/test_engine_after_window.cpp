#include "AggregatorHosts.h"
#include "FakeBrowser.h"
#include "SampleAggregator.h"
#include "SpinUntil.h"

#include "common/Configuration.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/ResultBox.h"
#include "window/DesktopProgram.h"
#include "window/EngineLoader.h"
#include "window/Form1.h"
#include "window/Module1.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <memory>

using namespace trovix;

// Trovix as the desktop runs it: the window first, then the engine module it carries,
// against the sample aggregator.
class EngineAfterWindowTest : public QObject {
    Q_OBJECT

public:
    // As Trovix's main() does before its application exists.
    static void initMain() { prepareDesktopApplication(); }

private Q_SLOTS:
    void initTestCase()
    {
        // The program's folder is this executable's: it needs the build's database there.
        const QString database = QCoreApplication::applicationDirPath() + QStringLiteral("/yundan.mdb");
        QFile::remove(database);
        QVERIFY(QFile::copy(qEnvironmentVariable("TROVIX_PROGRAM_DIR") + QStringLiteral("/yundan.mdb"),
                            database));
        QVERIFY(serveCourierPages(aggregator_));
        qputenv("TROVIX_HOME_PAGE", aggregator_.homePage().toUtf8());
        connect(&aggregator_, &SampleAggregator::requestServed, this,
                [this](const QString&, const QString& path) { served_.append(path); });
    }

    void cleanup()
    {
        program_.reset();
        Module1::remove();
    }

    // The browser meanwhile stays out of sight and out of keyboard reach, and its code is
    // the one this executable carries, mapped from memory rather than from a file.
    void homePageLoadsOnceTheWindowIsShown()
    {
        served_.clear();
        QVERIFY(startProgram());
        QVERIFY(form().WebBrowser1->findChildren<QWidget*>().isEmpty());
        QVERIFY(waitForPage(config::homePage()));
        QVERIFY(served_.contains(QStringLiteral("/home/")));
        // The page-loaded handling of the home page: Query enabled, the capture started.
        QVERIFY(form().Command5->isEnabled());
        QVERIFY(form().Timer1->isActive());

        QWidget* client = form().WebBrowser1->parentWidget();
        QVERIFY(!client->rect().intersects(form().WebBrowser1->geometry()));
        const QList<QWidget*> inner = form().WebBrowser1->findChildren<QWidget*>();
        QVERIFY(!inner.isEmpty());
        for (QWidget* widget : inner)
            QCOMPARE(widget->focusPolicy(), Qt::NoFocus);

        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY(mapped.contains("/memfd:trovix-engine"));
        QVERIFY(!mapped.contains("trovix-engine.so"));
    }

    void courierChosenInTheFirstInstantLoadsItsPage()
    {
        QVERIFY(startProgram());
        form().Text3->setText(QStringLiteral("0"));
        // Before the engine is up: the choice is made at once, its page waits for the engine.
        QVERIFY(form().WebBrowser1->findChildren<QWidget*>().isEmpty());
        form().Option1->setChecked(true);
        const Courier& courier = *courierByRow(1);
        QCOMPARE(form().Label6->text(), courier.displayName);
        QVERIFY(!form().Command5->isEnabled());
        QVERIFY(waitForPage(trackingAddress(courier)));
        QVERIFY(form().Command5->isEnabled());

        // And its form takes a query.
        const QString number = SampleAggregator::knownNumbers().first();
        form().Text1->setText(number);
        QVERIFY(spinUntil([&] { return !form().Timer1->isActive(); }));
        form().Command5->click();
        const QString lastLine = SampleAggregator::historyLines(number).last();
        QVERIFY(spinUntil([&] { return boxText(form().RichTextBox3).contains(lastLine); }, 60000));
    }

    // Until the engine is there, navigations wait in order and calls answer as on an empty
    // page; then everything goes to the engine.
    void callsBeforeTheEngineAnswerAsWithoutADocument()
    {
        DeferredBrowser browser;
        browser.navigate(QStringLiteral("http://a/"));
        browser.setValue(QStringLiteral("objUserName"), QStringLiteral("EA1"));
        browser.click(QStringLiteral("objloginbutton"));
        QList<bool> found{true};
        QString text = QStringLiteral("unread");
        browser.bindElements(1, {{QStringLiteral("objUserName"), QStringLiteral("postid")}},
                             [&](const QList<bool>& answer) { found = answer; });
        browser.readBodyText([&](const QString& answer) { text = answer; });
        browser.navigate(QStringLiteral("http://b/"));
        QVERIFY(spinUntil([&] { return text.isEmpty(); }));
        QCOMPARE(found, QList<bool>{false});

        auto* engine = new FakeBrowser;
        browser.attach(std::unique_ptr<Browser>(engine));
        QCOMPARE(engine->navigations,
                 (QStringList{QStringLiteral("http://a/"), QStringLiteral("http://b/")}));
        QVERIFY(engine->valueCalls.isEmpty() && engine->clickCalls.isEmpty());
        QList<QString> completed;
        connect(&browser, &Browser::documentCompleted, this,
                [&](Browser::DocumentId, const QString& address) { completed.append(address); });
        const Browser::DocumentId page =
            engine->load(QStringLiteral("http://b/"), {QStringLiteral("postid")});
        QCOMPARE(completed, QList<QString>{QStringLiteral("http://b/")});
        browser.bindElements(page, {{QStringLiteral("objUserName"), QStringLiteral("postid")}},
                             [&](const QList<bool>& answer) { found = answer; });
        QCOMPARE(found, QList<bool>{true});
    }

    // A missing or broken engine is said once; the window and the saved waybills stay usable.
    void brokenEngineIsReportedAndTheWindowStaysUsable()
    {
        QStringList shown;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown.append(box->windowTitle() + QLatin1Char('|') + box->text());
                box->accept();
            }
        });
        answerer.start(10);
        QVERIFY(startProgram(QByteArrayView("not an engine")));
        QVERIFY(spinUntil([&] { return !shown.isEmpty(); }));
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("Trovix|浏览器引擎无法加载")),
                 qPrintable(shown.first()));
        QVERIFY(form().WebBrowser1->findChildren<QWidget*>().isEmpty());
        QVERIFY(form().isVisible());
        QVERIFY(form().DataGrid1->model());
        form().Option2->setChecked(true);
        QCOMPARE(form().Label6->text(), courierByRow(2)->displayName);
    }

    // The engine that runs is the one in the bytes given, the running build's own: an
    // update that brings another engine brings it with the executable.
    void theEngineIsTheOneCarried()
    {
        QFile other(QStringLiteral(TROVIX_STAND_IN_ENGINE));
        QVERIFY(other.open(QIODevice::ReadOnly));
        const QByteArray otherBuild = other.readAll();
        QWidget viewParent;
        QString error;
        const std::unique_ptr<Browser> browser = loadEngineBrowser(otherBuild, &viewParent, &error);
        QVERIFY2(browser, qPrintable(error));
        QSignalSpy completed(browser.get(), &Browser::documentCompleted);
        browser->navigate(QStringLiteral("http://a/"));
        QCOMPARE(completed.size(), 1);
        QCOMPARE(completed.first().at(1).toString(), QStringLiteral("stand-in engine: http://a/"));
    }

    void graphicsSettingIsOnlyForTheStart()
    {
        {
            DesktopProgram program(embeddedEngine());
            // Only for the application's start: the programs Trovix starts must not inherit it.
            QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
        }
        // A choice of the user's own is left alone.
        qputenv("QT_XCB_GL_INTEGRATION", "glx");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("AA_ShareOpenGLContexts")));
        prepareDesktopApplication();
        DesktopProgram program(embeddedEngine());
        QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("glx"));
        qunsetenv("QT_XCB_GL_INTEGRATION");
    }

private:
    Form1& form() { return *program_->controllers().form(); }

    bool startProgram(QByteArrayView engine = embeddedEngine())
    {
        loads_.clear();
        program_ = std::make_unique<DesktopProgram>(engine);
        connect(&program_->browser(), &Browser::documentCompleted, this,
                [this](Browser::DocumentId, const QString& address) { loads_.append(address); });
        return program_->start();
    }

    bool waitForPage(const QString& address)
    {
        return spinUntil([&] { return !loads_.isEmpty() && loads_.last() == address; }, 60000);
    }

    SampleAggregator aggregator_;
    QStringList served_;
    std::unique_ptr<DesktopProgram> program_;
    QStringList loads_;
};

QTEST_MAIN(EngineAfterWindowTest)
#include "test_engine_after_window.moc"
