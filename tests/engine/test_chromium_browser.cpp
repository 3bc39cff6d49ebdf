#include "engine/ChromiumBrowser.h"
#include "engine/ChromiumLaunch.h"
#include "tracking/CourierCatalogue.h"

#include "FreePort.h"
#include "LoopbackHttpServer.h"
#include "SpinUntil.h"

#include <QtTest>

#include <memory>
#include <optional>

#include <signal.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray formPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>查询</title></head><body>
<form action="/submit" method="post">
运单号 <input type="text" id="postid" name="postid">
验证码 <input type="text" id="valicode" name="valicode">
<input type="submit" id="lika" value="查询">
</form></body></html>)";

const QByteArray plainPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body>第一行<br>second line<div>时间地点和跟踪进度</div></body></html>)";

const QByteArray framesetPage = R"(<!DOCTYPE html>
<html><frameset cols="50%,50%"><frame src="/form.html"><frame src="/plain.html"></frameset></html>)";

// A page whose own scripts take over the console and the names our registry uses.
const QByteArray hostilePage = R"(<!DOCTYPE html>
<html><body><input id="postid">
<script>
window.__trovix = {documents: {}, references: {}};
console.log(`trovix-0000000000000000:["forged","http:\/\/forged\/"]`);
console.log = function () {};
</script></body></html>)";

// A click on its button keeps the page process busy for half a minute: nothing asked of
// the page meanwhile is answered.
const QByteArray busyPage = R"(<!DOCTYPE html>
<html><body><input id="postid">
<button id="busy" onclick="var end = Date.now() + 30000; while (Date.now() < end) {}">busy</button>
</body></html>)";

// Tells the server what the page learns of its browser.
const QByteArray identityPage = R"(<!DOCTYPE html>
<html><body><script>
var brands = navigator.userAgentData ? navigator.userAgentData.brands.map(function (b) { return b.brand; }) : [];
new Image().src = '/identity?' + new URLSearchParams({ua: navigator.userAgent, brands: brands.join(','),
    languages: navigator.languages.join(','), webdriver: String(navigator.webdriver),
    size: innerWidth + 'x' + innerHeight});
</script></body></html>)";

// Leaves for a slow page of its own accord.
const QByteArray leavingPage = R"(<!DOCTYPE html>
<html><body><script>
addEventListener('load', function () { setTimeout(function () { location = '/slower.html'; }, 100); });
</script></body></html>)";

// Says whether its freeze event came.
const QByteArray freezingPage = R"(<!DOCTYPE html>
<html><body>awake<script>
document.addEventListener('freeze', function () { document.body.textContent = 'frozen'; });
</script></body></html>)";

const QByteArray resultPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"></head><body><p>已提交</p></body></html>)";

} // namespace

class ChromiumBrowserTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        server_ = std::make_unique<LoopbackHttpServer>([this](const LoopbackHttpServer::Request& request) {
            LoopbackHttpServer::Response response;
            if (request.path != "/favicon.ico")
                requested_.append(QString::fromUtf8(request.path));
            response.body = pages_.value(request.path, "<html><body>not here</body></html>");
            if (!pages_.contains(request.path))
                response.status = 404;
            else if (request.path == "/slow.html")
                response.delayMs = 300;
            else if (request.path == "/slower.html")
                response.delayMs = 1500;
            else if (request.path == "/submit")
                submissions_.append(request);
            else if (request.path == "/identity")
                identities_.append(request);
            return response;
        });
        QVERIFY(server_->listen());
        const QByteArray crossPage = "<!DOCTYPE html><html><body><iframe src=\"" +
                                     address(u"/form.html"_s, true).toUtf8() + "\"></iframe></body></html>";
        // One line longer than the cap.
        const QByteArray hugePage =
            "<!DOCTYPE html><html><body><p id=\"text\" style=\"white-space: nowrap\"></p><script>"
            "document.getElementById('text').textContent = 'x'.repeat(" +
            QByteArray::number(trovix::ChromiumBrowser::bodyTextCap + 10) + ");</script></body></html>";
        pages_ = {{"/form.html", formPage},         {"/plain.html", plainPage},
                  {"/frameset.html", framesetPage}, {"/cross.html", crossPage},
                  {"/hostile.html", hostilePage},   {"/huge.html", hugePage},
                  {"/busy.html", busyPage},         {"/slow.html", plainPage},
                  {"/submit", resultPage},          {"/home/", plainPage},
                  {"/a.html", plainPage},           {"/b.html", plainPage},
                  {"/identity.html", identityPage}, {"/identity", ""},
                  {"/slower.html", freezingPage},   {"/to-slower.html", leavingPage}};
    }

    void init()
    {
        makeBrowser();
        completed_.clear();
        submissions_.clear();
        requested_.clear();
    }

    void cleanup() { browser_.reset(); }

    // An ordinary desktop Chrome of its version, in Chinese, at WebBrowser1's size.
    void pageSeesADesktopChromeInChinese()
    {
        QCOMPARE(load(u"/identity.html"_s).size(), 1);
        QVERIFY(spinUntil([&] { return !identities_.isEmpty(); }));
        const LoopbackHttpServer::Request identity = identities_.last();
        const QString userAgent = QString::fromUtf8(identity.headers.value("user-agent"));
        QVERIFY2(userAgent.contains(u" Chrome/"_s), qPrintable(userAgent));
        for (const QString& seen : {userAgent, QString::fromUtf8(identity.headers.value("sec-ch-ua")),
                                    identity.query.value(u"ua"_s), identity.query.value(u"brands"_s)}) {
            QVERIFY2(!seen.contains(u"Headless"_s) && !seen.contains(u"QtWebEngine"_s), qPrintable(seen));
            QVERIFY2(!seen.isEmpty(), qPrintable(userAgent));
        }
        QVERIFY(identity.headers.value("accept-language").startsWith("zh-CN"));
        QVERIFY(identity.query.value(u"languages"_s).startsWith(u"zh-CN"_s));
        QCOMPARE(identity.query.value(u"webdriver"_s), u"false"_s);
        QCOMPARE(identity.query.value(u"size"_s), u"433x425"_s);
    }

    void notifiesOncePerDocumentWithItsAddress()
    {
        const QList<Completed> first = load(u"/form.html"_s);
        QCOMPARE(first.size(), 1);
        QCOMPARE(first.at(0).address, address(u"/form.html"_s));
        const QList<Completed> second = load(u"/plain.html?a=1"_s);
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.at(0).address, address(u"/plain.html?a=1"_s));
        QVERIFY(second.at(0).document != first.at(0).document);
        // Reports arrive in page order: a second report of the first page would have come
        // before the second page's, and the body text answers after any late one.
        bodyText();
        QCOMPARE(completed_.size(), 2);
    }

    void bindsFromTheNotifyingDocument_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QList<bool>>("found");
        QTest::newRow("the three fields") << u"/form.html"_s << QList<bool>{true, true, true, false};
        QTest::newRow("no elements") << u"/plain.html"_s << QList<bool>{false, false, false, false};
    }

    void bindsFromTheNotifyingDocument()
    {
        QFETCH(QString, path);
        QFETCH(QList<bool>, found);
        QCOMPARE(load(path).size(), 1);
        QCOMPARE(bind(completed_.last().document, {u"postid"_s, u"valicode"_s, u"lika"_s, u"valicodetel"_s}),
                 found);
    }

    void framesetReportsEveryFrame()
    {
        const QList<Completed> loaded = load(u"/frameset.html"_s, 3);
        QCOMPARE(loaded.size(), 3);
        QStringList addresses = this->addresses();
        // A frameset completes after its frames.
        QCOMPARE(addresses.last(), address(u"/frameset.html"_s));
        addresses.sort();
        QCOMPARE(addresses, (QStringList{address(u"/form.html"_s), address(u"/frameset.html"_s),
                                         address(u"/plain.html"_s)}));

        const QStringList fields{u"postid"_s, u"valicode"_s, u"lika"_s};
        // A frame without the form leaves the references in the form's frame; the top
        // document moves them.
        bool formBound = false;
        for (const Completed& document : loaded) {
            const bool isForm = document.address.endsWith(u"/form.html"_s);
            const bool isTop = document.address.endsWith(u"/frameset.html"_s);
            formBound = isForm || (formBound && !isTop);
            QCOMPARE(bind(document.document, fields), (QList<bool>{formBound, formBound, formBound}));
        }

        // The references bound from a frame reach into it.
        for (const Completed& document : loaded) {
            if (document.address.endsWith(u"/form.html"_s))
                bind(document.document, fields);
        }
        browser_->setValue(u"ref-postid"_s, u"in a frame"_s);
        browser_->click(u"ref-lika"_s);
        QVERIFY(spinUntil([&] { return submissions_.size() == 1; }));
        QCOMPARE(submissions_.at(0).query.value(u"postid"_s), u"in a frame"_s);
    }

    void crossOriginFrameIsReportedButNeverFound()
    {
        const QList<Completed> loaded = load(u"/cross.html"_s, 2);
        QCOMPARE(loaded.size(), 2);
        const QString frameAddress = address(u"/form.html"_s, true);
        const auto frame = std::find_if(loaded.begin(), loaded.end(), [&](const Completed& document) {
            return document.address == frameAddress;
        });
        QVERIFY(frame != loaded.end());
        QCOMPARE(bind(frame->document, {u"postid"_s, u"lika"_s}), (QList<bool>{false, false}));
        QCOMPARE(bodyText(), QString());
    }

    void pageScriptsCannotForgeOrHideReports()
    {
        QCOMPARE(load(u"/hostile.html"_s).size(), 1);
        QCOMPARE(completed_.last().address, address(u"/hostile.html"_s));
        QCOMPARE(bind(completed_.last().document, {u"postid"_s}), QList<bool>{true});
        QCOMPARE(load(u"/plain.html"_s).size(), 1);
        QCOMPARE(completed_.size(), 2);
    }

    void valuesAndClickSubmitTheForm_data()
    {
        QTest::addColumn<QString>("waybill");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("restsAtOnce"); // a capture with no read delay rests the page
        QTest::newRow("plain") << u"1234 5678"_s << u"13800000000"_s << false;
        QTest::newRow("quotes and markup") << u"\"');</script><b>x"_s << u"\\n%1`${x}`"_s << false;
        QTest::newRow("emoji and line separator") << u"📦\u2028单号"_s << QString() << false;
        QTest::newRow("ten thousand characters") << QString(10000, QLatin1Char('9')) << u"码"_s << false;
        QTest::newRow("plain, rested at once") << u"1234 5678"_s << u"13800000000"_s << true;
    }

    void valuesAndClickSubmitTheForm()
    {
        QFETCH(QString, waybill);
        QFETCH(QString, code);
        QFETCH(bool, restsAtOnce);
        QCOMPARE(load(u"/form.html"_s).size(), 1);
        QCOMPARE(bind(completed_.last().document, {u"postid"_s, u"valicode"_s, u"lika"_s}),
                 (QList<bool>{true, true, true}));

        browser_->setValue(u"ref-postid"_s, waybill);
        browser_->setValue(u"ref-valicode"_s, code);
        browser_->click(u"ref-lika"_s);
        if (restsAtOnce)
            browser_->readBodyText([this](const QString&) { browser_->rest(); });

        QVERIFY(spinUntil([&] { return submissions_.size() == 1; }));
        QCOMPARE(submissions_.at(0).method, QByteArray("POST"));
        QCOMPARE(submissions_.at(0).query.value(u"postid"_s), waybill);
        QCOMPARE(submissions_.at(0).query.value(u"valicode"_s), code);
        QVERIFY(spinUntil([&] { return completed_.size() == 2; }));
        QCOMPARE(completed_.last().address, address(u"/submit"_s));
    }

    void emptyReferencesDoNothing()
    {
        QCOMPARE(load(u"/form.html"_s).size(), 1);
        QCOMPARE(bind(completed_.last().document, {u"absent"_s}), QList<bool>{false});
        browser_->setValue(u"ref-absent"_s, u"x"_s);
        browser_->click(u"ref-absent"_s);
        browser_->click(u"never bound"_s);
        // The body text answers after the calls before it, so they have all run by then.
        QVERIFY(bodyText().startsWith(u"运单号"_s));
        QVERIFY(submissions_.isEmpty());
    }

    void bodyTextHasCrLfLineBreaks()
    {
        QCOMPARE(load(u"/plain.html"_s).size(), 1);
        QCOMPARE(bodyText(), u"第一行\r\nsecond line\r\n时间地点和跟踪进度"_s);
    }

    void bodyTextIsCapped()
    {
        QCOMPARE(load(u"/huge.html"_s).size(), 1);
        const QString text = bodyText();
        QVERIFY2(text == QString(trovix::ChromiumBrowser::bodyTextCap, QLatin1Char('x')),
                 qPrintable(QString::number(text.size())));
    }

    void failedNavigationCompletesAnErrorPage()
    {
        const quint16 closedPort = freeLoopbackPort();
        QVERIFY(closedPort);
        browser_->navigate(u"http://127.0.0.1:%1/all/ems.html"_s.arg(closedPort));
        QVERIFY(spinUntil([&] { return !completed_.isEmpty(); }));
        QCOMPARE(bind(completed_.last().document, {u"postid"_s}), QList<bool>{false});
        bodyText();
        QCOMPARE(load(u"/form.html"_s).size(), 1);
    }

    void safeWithoutADocument()
    {
        QCOMPARE(bodyText(), QString());
        QCOMPARE(bind(7, {u"postid"_s}), QList<bool>{false});
        browser_->setValue(u"ref-postid"_s, u"x"_s);
        browser_->click(u"ref-postid"_s);
        // While the engine starts.
        browser_->navigate(address(u"/form.html"_s));
        QCOMPARE(bind(1, {u"postid"_s}), QList<bool>{false});
        QCOMPARE(bodyText(), QString());
    }

    void safeWhenThePageNavigatesAwayMidCall()
    {
        QCOMPARE(load(u"/form.html"_s).size(), 1);
        const trovix::Browser::DocumentId form = completed_.last().document;
        bind(form, {u"postid"_s, u"lika"_s});

        int answers = 0;
        browser_->navigate(address(u"/slow.html"_s));
        browser_->click(u"ref-lika"_s);
        browser_->bindElements(form, {{u"ref-postid"_s, u"postid"_s}},
                               [&answers](const QList<bool>&) { ++answers; });
        browser_->readBodyText([&answers](const QString&) { ++answers; });
        QVERIFY(spinUntil([&] { return answers == 2; }));
        QVERIFY(spinUntil([&] { return completed_.last().address != address(u"/form.html"_s); }));

        // A document of a page that is gone is found in nothing.
        QCOMPARE(bind(form, {u"postid"_s}), QList<bool>{false});

        // Destroyed with calls still pending: their answers are dropped.
        browser_->readBodyText([](const QString&) { QFAIL("answer after the browser is gone"); });
        browser_.reset();
    }

    // Until its document is there the engine holds what is sent to a page: the wait is not
    // taken for a hang, a read meanwhile finds the page between two documents, and the
    // rest that follows lets the document come. Once it is there, a rest freezes it.
    void documentOnItsWayIsWaitedForAndFrozenAtRest()
    {
        QSignalSpy ended(browser_.get(), &trovix::ChromiumBrowser::pageProcessEnded);
        browser_->setAnswerDeadline(500);
        QCOMPARE(load(u"/to-slower.html"_s).size(), 1);
        QVERIFY(spinUntil([&] { return requested_.contains(u"/slower.html"_s); }));
        QCOMPARE(bodyText(), QString());
        browser_->rest();
        QCOMPARE(completed_.last().address, address(u"/to-slower.html"_s));
        QVERIFY(spinUntil([&] { return completed_.last().address == address(u"/slower.html"_s); }));
        QCOMPARE(bodyText(), u"awake"_s);
        QCOMPARE(ended.size(), 0);
        browser_->rest();
        QVERIFY(spinUntil([&] { return browser_->isFrozen(); }));
        QCOMPARE(bodyText(), u"frozen"_s);
    }

    // An ordinary user's pages run in Chromium's sandbox; as root this runs again as nobody.
    void pagesOfAnOrdinaryUserAreSandboxed()
    {
        if (::geteuid() == 0) {
            QTemporaryDir place;
            const QString copy = place.filePath(u"sandboxed"_s);
            QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
            QVERIFY(QFile::setPermissions(place.path(), QFile::permissions(place.path()) | QFile::ExeOther));
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove(u"QTWEBENGINE_DISABLE_SANDBOX"_s);
            environment.remove(u"XDG_RUNTIME_DIR"_s);
            environment.insert(u"HOME"_s, u"/nonexistent"_s);
            QProcess nobody;
            nobody.setProcessEnvironment(environment);
            nobody.setProcessChannelMode(QProcess::MergedChannels);
            nobody.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, copy,
                                        u"pagesOfAnOrdinaryUserAreSandboxed"_s});
            QVERIFY(nobody.waitForFinished(60000));
            QVERIFY2(nobody.exitCode() == 0, nobody.readAll().constData());
            return;
        }
        QVERIFY(trovix::chromiumSandboxWanted());
        QCOMPARE(load(u"/plain.html"_s).size(), 1);
        QFile status(u"/proc/%1/status"_s.arg(browser_->pagePid()));
        QVERIFY(status.open(QIODevice::ReadOnly));
        // 2: a seccomp filter holds every system call the page makes.
        QVERIFY2(status.readAll().contains("\nSeccomp:\t2\n"), qPrintable(status.fileName()));
    }

    void callsThePageCannotAnswerAreGivenUp()
    {
        QSignalSpy terminated(browser_.get(), &trovix::ChromiumBrowser::pageProcessEnded);
        const auto keepBusy = [this] {
            const QList<Completed> loaded = load(u"/busy.html"_s);
            const trovix::Browser::DocumentId busy = loaded.value(0).document;
            const bool bound = loaded.size() == 1 && bind(busy, {u"busy"_s}) == QList<bool>{true};
            browser_->click(u"ref-busy"_s);
            return bound ? busy : 0;
        };
        trovix::Browser::DocumentId busy = keepBusy();
        QVERIFY(busy);

        // The deadline gives up what a busy page does not answer, and the page that does not
        // answer its probe either is ended.
        browser_->setAnswerDeadline(500);
        QCOMPARE(bind(busy, {u"postid"_s}), QList<bool>{false});
        QCOMPARE(bodyText(), QString());
        QVERIFY(spinUntil([&] { return terminated.size() == 1; }));

        // The page process dying answers every pending call at once.
        browser_->setAnswerDeadline(600000);
        busy = keepBusy();
        QVERIFY(busy);
        terminated.clear();
        QList<QStringList> answers;
        browser_->bindElements(busy, {{u"ref-postid"_s, u"postid"_s}}, [&answers](const QList<bool>& found) {
            answers.append({u"bind"_s, QString::number(found.value(0))});
        });
        browser_->readBodyText([&answers](const QString& text) { answers.append({u"body"_s, text}); });
        QVERIFY(browser_->pagePid() > 0);
        QVERIFY(::kill(pid_t(browser_->pagePid()), SIGKILL) == 0);
        QVERIFY(spinUntil([&] { return answers.size() == 2; }));
        QCOMPARE(answers, (QList<QStringList>{{u"bind"_s, u"0"_s}, {u"body"_s, QString()}}));
        QCOMPARE(terminated.size(), 1);
        // Until a navigation brings up a new page process, calls answer as on an empty page.
        QCOMPARE(bind(busy, {u"postid"_s}), QList<bool>{false});
        QCOMPARE(bodyText(), QString());

        // The next navigation brings up a new page process, and lookups work again.
        QCOMPARE(load(u"/form.html"_s).size(), 1);
        QCOMPARE(bind(completed_.last().document, {u"postid"_s}), QList<bool>{true});
    }

private:
    struct Completed {
        trovix::Browser::DocumentId document;
        QString address;
    };

    void makeBrowser()
    {
        browser_ = std::make_unique<trovix::ChromiumBrowser>(QSize(433, 425), trovix::aggregatorHosts());
        connect(browser_.get(), &trovix::Browser::documentCompleted, this,
                [this](trovix::Browser::DocumentId document, const QString& address) {
                    completed_.append({document, address});
                });
    }

    QStringList addresses() const
    {
        QStringList addresses;
        for (const Completed& document : completed_)
            addresses.append(document.address);
        return addresses;
    }

    // What `ask` hands its callback, or `none` when no answer comes.
    template <typename T, typename Ask> static T answerOf(Ask ask, const T& none)
    {
        std::optional<T> answer;
        ask([&answer](const T& value) { answer = value; });
        return spinUntil([&] { return answer.has_value(); }) ? *answer : none;
    }

    QString address(const QString& path, bool formB = false) const
    {
        return u"http://%1%2"_s.arg(formB ? server_->hostB() : server_->hostA(), path);
    }
    // Navigates and waits for `documents` notifications.
    QList<Completed> load(const QString& path, int documents = 1)
    {
        const qsizetype before = completed_.size();
        browser_->navigate(address(path));
        if (!spinUntil([&] { return completed_.size() >= before + documents; }))
            return {};
        return completed_.mid(before);
    }

    QList<bool> bind(trovix::Browser::DocumentId document, const QStringList& ids)
    {
        QList<trovix::ElementBinding> bindings;
        for (const QString& id : ids)
            bindings.append({u"ref-"_s + id, id});
        return answerOf<QList<bool>>([&](auto done) { browser_->bindElements(document, bindings, done); },
                                     {});
    }

    QString bodyText()
    {
        return answerOf<QString>([this](auto done) { browser_->readBodyText(done); }, u"<no answer>"_s);
    }

    std::unique_ptr<LoopbackHttpServer> server_;
    QHash<QByteArray, QByteArray> pages_; // by path
    std::unique_ptr<trovix::ChromiumBrowser> browser_;
    QList<LoopbackHttpServer::Request> submissions_;
    QList<Completed> completed_;
    QStringList requested_; // every path asked of the server
    QList<LoopbackHttpServer::Request> identities_;
};

QTEST_MAIN(ChromiumBrowserTest)
#include "test_chromium_browser.moc"
