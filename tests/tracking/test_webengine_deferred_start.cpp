#include "tracking/WebEngineBrowser.h"

#include "LoopbackHttpServer.h"
#include "SpinUntil.h"
#include "WebEngineTestCase.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray formPage = R"(<!DOCTYPE html>
<html><body><form action="/submit" method="post">
<input type="text" id="postid" name="postid"><input type="submit" id="lika" value="查询">
</form></body></html>)";

const QByteArray plainPage = R"(<!DOCTYPE html>
<html><body>第一页</body></html>)";

} // namespace

// The browser whose engine starts only once its window is on screen.
class DeferredStartTest : public WebEngineTestCase {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        server_ = std::make_unique<LoopbackHttpServer>([this](const LoopbackHttpServer::Request& request) {
            LoopbackHttpServer::Response response;
            if (request.path == "/favicon.ico") {
                response.status = 404;
                return response;
            }
            requested_.append(QString::fromUtf8(request.path));
            response.body = request.path == "/form.html" ? formPage : plainPage;
            return response;
        });
        QVERIFY(server_->listen());
    }

    void init()
    {
        window_ = std::make_unique<QWidget>();
        window_->resize(320, 240);
        makeBrowser();
        browser_->view()->setGeometry(0, 0, 200, 150);
        requested_.clear();
        completed_.clear();
    }

    void cleanup()
    {
        browser_.reset();
        window_.reset();
    }

    void engineWaitsForTheWindowOnScreen()
    {
        // A page of the view's own would start the engine: there is none until the window
        // has been on screen.
        const auto noPage = [this] { return browser_->view()->findChildren<QWebEnginePage*>().isEmpty(); };
        browser_->navigate(address(u"/form.html"_s));
        QCoreApplication::processEvents();
        QVERIFY(noPage());

        window_->show();
        QVERIFY(noPage());
        window_->hide();
        QVERIFY(noPage());
        QVERIFY(!browser_->engineStarted());
        QVERIFY(requested_.isEmpty());

        showWindow();
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        QCOMPARE(completed_, QStringList{address(u"/form.html"_s)});
        QCOMPARE(requested_, QStringList{u"/form.html"_s});
    }

    void navigationsWaitAndLandOnTheLast_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("one") << QStringList{u"/form.html"_s};
        QTest::newRow("home page, then a courier's page") << QStringList{u"/home/"_s, u"/form.html"_s};
        QTest::newRow("three") << QStringList{u"/a.html"_s, u"/form.html"_s, u"/b.html"_s};
    }

    void navigationsWaitAndLandOnTheLast()
    {
        QFETCH(QStringList, paths);
        for (const QString& path : paths)
            browser_->navigate(address(path));
        showWindow();
        const QString last = address(paths.last());
        QVERIFY(spinUntil([&] { return !completed_.isEmpty() && completed_.last() == last; }));
        QCOMPARE(browser_->view()->url().toString(), last);
        // Each address was loaded no more than once, and in the order given.
        QStringList expected = paths;
        for (const QString& path : requested_) {
            while (!expected.isEmpty() && expected.first() != path)
                expected.removeFirst();
            QVERIFY2(!expected.isEmpty(), qPrintable(requested_.join(QLatin1Char(' '))));
            expected.removeFirst();
        }
    }

    void callsBeforeTheEngineAnswerAsWithoutADocument()
    {
        std::optional<QList<bool>> found;
        std::optional<QString> text;
        browser_->bindElements(1, {{u"objUserName"_s, u"postid"_s}},
                               [&found](const QList<bool>& answer) { found = answer; });
        browser_->readBodyText([&text](const QString& answer) { text = answer; });
        browser_->setValue(u"objUserName"_s, u"EA1"_s);
        browser_->click(u"objloginbutton"_s);
        QVERIFY(spinUntil([&] { return found.has_value() && text.has_value(); }));
        QCOMPARE(*found, QList<bool>{false});
        QCOMPARE(*text, QString());
        QVERIFY(!browser_->engineStarted());

        // The engine that starts later works as one started at once.
        browser_->navigate(address(u"/form.html"_s));
        showWindow();
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        found.reset();
        browser_->bindElements(1, {{u"objUserName"_s, u"postid"_s}},
                               [&found](const QList<bool>& answer) { found = answer; });
        QVERIFY(spinUntil([&] { return found.has_value(); }));
        QCOMPARE(*found, QList<bool>{true});
    }

    void pageStartedLateIsShownAsVisible()
    {
        browser_->navigate(address(u"/plain.html"_s));
        showWindow();
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        // Page scripts run as in a shown page, not slowed down as in a hidden one.
        QCOMPARE(evaluate(u"document.visibilityState"_s).toString(), u"visible"_s);
    }

    void windowKeepsItsNativeWindow()
    {
        browser_->navigate(address(u"/form.html"_s));
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        const QWindow* shown = window_->windowHandle();
        const WId id = window_->winId();
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        // The page's drawing surface, made now, must not make Qt recreate the window.
        QCOMPARE(window_->windowHandle(), shown);
        QCOMPARE(window_->winId(), id);
        QVERIFY(window_->isVisible());
    }

    void goneBeforeTheEngineStarts()
    {
        browser_->navigate(address(u"/form.html"_s));
        window_->show();
        browser_.reset();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QCoreApplication::processEvents();
        QVERIFY(requested_.isEmpty());
    }

    void viewShownInAWindowAlreadyOnScreen()
    {
        browser_.reset();
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        makeBrowser();
        browser_->navigate(address(u"/form.html"_s));
        QCoreApplication::processEvents();
        QVERIFY(!browser_->engineStarted());
        // No exposure comes: the window has been on screen all along.
        browser_->view()->show();
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        QCOMPARE(completed_, QStringList{address(u"/form.html"_s)});
    }

private:
    void makeBrowser()
    {
        browser_ = std::make_unique<trovix::WebEngineBrowser>(
            window_.get(), trovix::WebEngineBrowser::EngineStart::AfterWindowShown);
        connect(browser_.get(), &trovix::Browser::documentCompleted, this,
                [this](trovix::Browser::DocumentId, const QString& address) { completed_.append(address); });
    }

    QString address(const QString& path) const { return u"http://%1%2"_s.arg(server_->hostA(), path); }

    void showWindow()
    {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QVERIFY(spinUntil([&] { return browser_->engineStarted(); }));
    }

    QVariant evaluate(const QString& script)
    {
        std::optional<QVariant> result;
        browser_->view()->page()->runJavaScript(script, [&result](const QVariant& value) { result = value; });
        if (!spinUntil([&] { return result.has_value(); }))
            return u"<no answer>"_s;
        return *result;
    }

    std::unique_ptr<LoopbackHttpServer> server_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<trovix::WebEngineBrowser> browser_;
    QStringList requested_;
    QStringList completed_;
};

QTEST_MAIN(DeferredStartTest)
#include "test_webengine_deferred_start.moc"
