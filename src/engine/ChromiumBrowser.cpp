#include "engine/ChromiumBrowser.h"

#include "engine/ChromiumLaunch.h"
#include "engine/DevToolsConnection.h"
#include "engine/DevToolsSession.h"
#include "engine/PipeTransport.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <utility>

#include <malloc.h>
#include <signal.h>

namespace trovix {

namespace {

// Our scripts' world, and the binding that reports to us from it alone.
const QString scriptWorld = QStringLiteral("trovix");
const QString reportBinding = QStringLiteral("__trovixReport");
// From the engine's end until the memory it left in our heap goes back to the system.
constexpr int heapTrimDelayMs = 1000;

// What a page may ask for; all of it is refused.
const QStringList refusedPermissions{
    QStringLiteral("geolocation"),
    QStringLiteral("notifications"),
    QStringLiteral("camera"),
    QStringLiteral("microphone"),
    QStringLiteral("midi"),
    QStringLiteral("clipboard-read"),
    QStringLiteral("clipboard-write"),
    QStringLiteral("idle-detection"),
    QStringLiteral("persistent-storage"),
    QStringLiteral("background-sync"),
    QStringLiteral("screen-wake-lock"),
    QStringLiteral("storage-access"),
    QStringLiteral("window-management"),
    QStringLiteral("local-fonts"),
};

// A call of one of the page scripts shipped in the resources (each a function
// expression), with the given JavaScript literals as its arguments.
QString pageScriptCall(const QString& name, const QStringList& arguments = {})
{
    static QHash<QString, QString> loaded;
    auto script = loaded.find(name);
    if (script == loaded.end()) {
        QFile file(QStringLiteral(":/tracking/page-scripts/") + name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("page script %s is not in the resources", qPrintable(name));
        script = loaded.insert(name, QString::fromUtf8(file.readAll()));
    }
    return *script + QLatin1Char('(') + arguments.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A JavaScript literal for any text: quotes, angle brackets and line breaks included.
QString literal(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString bindingsLiteral(const QList<ElementBinding>& bindings)
{
    QJsonArray array;
    for (const ElementBinding& binding : bindings)
        array.append(QJsonArray{binding.reference, binding.elementId});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

} // namespace

ChromiumBrowser::ChromiumBrowser(QSize pageSize, const QStringList& frameHosts, QObject* parent)
    : Browser(parent), pageSize_(pageSize), frameGate_(frameHosts),
      watchdog_({[this] { return pagePid(); },
                 [this](std::function<void()> answered) {
                     QPointer<ChromiumBrowser> self(this);
                     session_->send(QStringLiteral("Runtime.evaluate"),
                                    {{QStringLiteral("expression"), QStringLiteral("0")}},
                                    [self, answered](const DevToolsReply&) {
                                        if (self)
                                            answered();
                                    });
                 },
                 [this] { return loadsFinished_; }, [this] { return documentComing_; },
                 [this](qint64) {
                     endedHungProcess_ = true;
                     endPageProcess();
                 }},
                this),
      restWatch_([this](qint64 pid) { endBusyRestingProcess(pid); })
{
    setAnswerDeadline(defaultAnswerDeadlineMs);
    restTimer_.setSingleShot(true);
    connect(&restTimer_, &QTimer::timeout, this, [this] {
        if (resting_ && connection_)
            endEngine();
    });
    startDeadline_.setSingleShot(true);
    connect(&startDeadline_, &QTimer::timeout, this, [this] {
        if (starting_)
            endEngine();
    });
    // A Trovix that was killed left its engine's profile behind.
    BrowserProcess::removeStaleProfiles();
}

ChromiumBrowser::~ChromiumBrowser()
{
    // Nobody is listening any more: the connection answers nothing as it goes.
    connection_.reset();
}

void ChromiumBrowser::startEngine()
{
    if (connection_)
        return;
    const QString executable = BrowserProcess::chooseExecutable();
    QString error;
    PipeTransport* pipe =
        process_.start(executable, chromiumArguments(executable, chromiumSandboxWanted(), pageSize_), &error);
    if (!pipe) {
        pendingLoad_.clear();
        Q_EMIT engineUnavailable(executable.isEmpty() ? error : executable + QStringLiteral(": ") + error);
        return;
    }
    connection_ = std::make_unique<DevToolsConnection>(pipe);
    connect(connection_.get(), &DevToolsConnection::closed, this, &ChromiumBrowser::onEngineClosed);
    starting_ = true;
    startDeadline_.start(startDeadlineMs);
    QPointer<ChromiumBrowser> self(this);
    connection_->send(QStringLiteral("Browser.getVersion"), {}, [self](const DevToolsReply& reply) {
        if (!self || !reply.ok)
            return;
        self->userAgent_ = text(reply.result, "userAgent");
        self->makePage([self] {
            self->starting_ = false;
            self->startDeadline_.stop();
        });
    });
}

void ChromiumBrowser::endEngine()
{
    if (connection_)
        connection_->close();
}

void ChromiumBrowser::onEngineClosed()
{
    const bool wasStarting = std::exchange(starting_, false);
    startDeadline_.stop();
    restTimer_.stop();
    // Its own signal brought us here.
    connection_.release()->deleteLater();
    session_ = nullptr;
    ++pageGeneration_;
    browserContext_.clear();
    targetId_.clear();
    reportScript_.clear();
    topContext_ = 0;
    topAddress_.clear();
    loading_ = frozen_ = documentComing_ = false;
    reviveWhenEnded_ = endedHungProcess_ = false;
    pendingLoad_.clear();
    process_.end();
    calls_.giveUpAll();
    watchdog_.forget();
    restWatch_.stop();
    QTimer::singleShot(heapTrimDelayMs, this, [] { malloc_trim(0); });
    QPointer<ChromiumBrowser> self(this);
    if (const auto held = std::exchange(heldRead_, {}))
        held(false);
    if (!self)
        return;
    if (wasStarting)
        Q_EMIT engineUnavailable(QStringLiteral("the browser ended before its page was ready"));
    else
        Q_EMIT engineEnded();
}

void ChromiumBrowser::makePage(std::function<void()> then)
{
    const int generation = ++pageGeneration_;
    if (session_)
        session_->disconnect(this);
    session_ = nullptr;
    if (!browserContext_.isEmpty()) {
        // Closes its page too, and drops all it stored.
        connection_->send(QStringLiteral("Target.disposeBrowserContext"),
                          {{QStringLiteral("browserContextId"), std::exchange(browserContext_, {})}});
    }
    targetId_.clear();
    reportScript_.clear();
    topContext_ = 0;
    topAddress_.clear();
    pageCrashed_ = frozen_ = loading_ = documentComing_ = false;
    endedHungProcess_ = reviveWhenEnded_ = false;
    calls_.giveUpAll();
    restWatch_.stop();
    watchdog_.forget();

    QPointer<ChromiumBrowser> self(this);
    const auto current = [self, generation] { return self && self->pageGeneration_ == generation; };
    // A browser that cannot make the page is of no use.
    const auto usable = [self, current](const DevToolsReply& reply) {
        if (current() && !reply.ok)
            self->endEngine();
        return current() && reply.ok;
    };
    connection_->send(
        QStringLiteral("Target.createBrowserContext"), {{QStringLiteral("disposeOnDetach"), true}},
        [self, current, usable, then](const DevToolsReply& reply) {
            if (!usable(reply))
                return;
            const QString context = text(reply.result, "browserContextId");
            self->browserContext_ = context;
            self->connection_->send(QStringLiteral("Browser.setDownloadBehavior"),
                                    {{QStringLiteral("behavior"), QStringLiteral("deny")},
                                     {QStringLiteral("browserContextId"), context}});
            for (const QString& permission : refusedPermissions) {
                self->connection_->send(
                    QStringLiteral("Browser.setPermission"),
                    {{QStringLiteral("permission"), QJsonObject{{QStringLiteral("name"), permission}}},
                     {QStringLiteral("setting"), QStringLiteral("denied")},
                     {QStringLiteral("browserContextId"), context}});
            }
            self->connection_->send(
                QStringLiteral("Target.createTarget"),
                {{QStringLiteral("url"), QStringLiteral("about:blank")},
                 {QStringLiteral("browserContextId"), context},
                 {QStringLiteral("width"), self->pageSize_.width()},
                 {QStringLiteral("height"), self->pageSize_.height()}},
                [self, current, usable, then](const DevToolsReply& reply) {
                    if (!usable(reply))
                        return;
                    self->targetId_ = text(reply.result, "targetId");
                    self->connection_->send(
                        QStringLiteral("Target.attachToTarget"),
                        {{QStringLiteral("targetId"), self->targetId_}, {QStringLiteral("flatten"), true}},
                        [self, current, usable, then](const DevToolsReply& reply) {
                            if (!usable(reply))
                                return;
                            // The page is ready once it has taken every rule.
                            self->setUpPage(self->connection_->session(text(reply.result, "sessionId")),
                                            [self, current, then] {
                                                if (!current())
                                                    return;
                                                then();
                                                if (self && !self->pendingLoad_.isEmpty())
                                                    self->load(std::exchange(self->pendingLoad_, {}));
                                            });
                        });
                });
        });
}

void ChromiumBrowser::setUpPage(DevToolsSession* session, std::function<void()> then)
{
    session_ = session;
    connect(session, &DevToolsSession::event, this, &ChromiumBrowser::onPageEvent);
    // These hold per page and only while we are attached. A page that is not focused runs
    // its timers once a second: its own countdown would crawl.
    const QList<std::pair<QString, QJsonObject>> rules{
        {QStringLiteral("Page.enable"), {}},
        {QStringLiteral("Runtime.enable"), {}},
        {QStringLiteral("Inspector.enable"), {}},
        {QStringLiteral("Runtime.addBinding"),
         {{QStringLiteral("name"), reportBinding}, {QStringLiteral("executionContextName"), scriptWorld}}},
        {QStringLiteral("Emulation.setUserAgentOverride"), desktopChromeIdentity(userAgent_)},
        {QStringLiteral("Emulation.setFocusEmulationEnabled"), {{QStringLiteral("enabled"), true}}},
        {QStringLiteral("Emulation.setDeviceMetricsOverride"),
         {{QStringLiteral("width"), pageSize_.width()},
          {QStringLiteral("height"), pageSize_.height()},
          {QStringLiteral("deviceScaleFactor"), 1},
          {QStringLiteral("mobile"), false}}},
        {QStringLiteral("Page.setInterceptFileChooserDialog"), {{QStringLiteral("enabled"), true}}},
        {QStringLiteral("Fetch.enable"),
         {{QStringLiteral("patterns"),
           QJsonArray{QJsonObject{{QStringLiteral("urlPattern"), QStringLiteral("*")},
                                  {QStringLiteral("resourceType"), QStringLiteral("Document")}}}},
          {QStringLiteral("handleAuthRequests"), true}}},
    };
    sendInTurn(rules, 0, std::move(then));
}

// One after another: a page given them all at once was seen to lose its process.
void ChromiumBrowser::sendInTurn(const QList<std::pair<QString, QJsonObject>>& commands, int next,
                                 std::function<void()> then)
{
    if (next == commands.size()) {
        then();
        return;
    }
    QPointer<ChromiumBrowser> self(this);
    QPointer<DevToolsSession> session = session_;
    session_->send(commands.at(next).first, commands.at(next).second,
                   [self, session, commands, next, then](const DevToolsReply&) {
                       if (self && session && session == self->session_)
                           self->sendInTurn(commands, next + 1, then);
                   });
}

void ChromiumBrowser::onPageEvent(const QString& method, const QJsonObject& params)
{
    const bool topFrame = text(params, "frameId") == targetId_;
    if (method == QLatin1String("Runtime.bindingCalled")) {
        if (text(params, "name") == reportBinding)
            onBindingCalled(params);
    } else if (method == QLatin1String("Runtime.executionContextCreated")) {
        const QJsonObject context = params.value(QLatin1String("context")).toObject();
        if (text(context, "name") == scriptWorld &&
            text(context.value(QLatin1String("auxData")).toObject(), "frameId") == targetId_)
            topContext_ = context.value(QLatin1String("id")).toInt();
    } else if (method == QLatin1String("Runtime.executionContextDestroyed")) {
        if (params.value(QLatin1String("executionContextId")).toInt() == topContext_)
            topContext_ = 0;
    } else if (method == QLatin1String("Runtime.executionContextsCleared")) {
        topContext_ = 0;
    } else if (method == QLatin1String("Page.frameStartedLoading") && topFrame) {
        loading_ = true;
        pageCrashed_ = false;
        topReported_ = false;
        topParsed_ = false;
        currentLoadWanted_ = std::exchange(loadWanted_, false) || std::exchange(navigationStarting_, false);
    } else if (method == QLatin1String("Page.frameStartedNavigating") && topFrame) {
        documentComing_ = !text(params, "navigationType").contains(QLatin1String("ameDocument"));
        // Ours, or the page's own begun before the rest: a rest lets it through.
        if (documentComing_)
            comingDocumentAdmitted_ = !resting_ || loadWanted_ || navigationStarting_;
    } else if (method == QLatin1String("Page.frameStoppedLoading") && topFrame) {
        loading_ = documentComing_ = false;
        ++loadsFinished_;
    } else if (method == QLatin1String("Page.frameNavigated")) {
        const QJsonObject frame = params.value(QLatin1String("frame")).toObject();
        if (text(frame, "id") == targetId_) {
            topAddress_ = text(frame, "url");
            documentComing_ = false;
        }
    } else if (method == QLatin1String("Page.javascriptDialogOpening")) {
        // As a user who refuses would answer; but a page may always be left.
        session_->send(QStringLiteral("Page.handleJavaScriptDialog"),
                       {{QStringLiteral("accept"), text(params, "type") == QLatin1String("beforeunload")}});
    } else if (method == QLatin1String("Fetch.requestPaused")) {
        onRequestPaused(params);
    } else if (method == QLatin1String("Fetch.authRequired")) {
        // Refused at once: one request, no retry with empty credentials.
        session_->send(QStringLiteral("Fetch.continueWithAuth"),
                       {{QStringLiteral("requestId"), text(params, "requestId")},
                        {QStringLiteral("authChallengeResponse"),
                         QJsonObject{{QStringLiteral("response"), QStringLiteral("CancelAuth")}}}});
    } else if (method == QLatin1String("Inspector.targetCrashed")) {
        onPageProcessEnded();
    }
}

// Documents only: the top page and its frames.
void ChromiumBrowser::onRequestPaused(const QJsonObject& params)
{
    const QString request = text(params, "requestId");
    const QUrl address(text(params.value(QLatin1String("request")).toObject(), "url"));
    const QString scheme = address.scheme().toLower();
    QString refusal;
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        refusal = QStringLiteral("BlockedByClient");
    else if (text(params, "frameId") == targetId_) {
        // That navigation will never bring its document.
        if (resting_ && !(documentComing_ && comingDocumentAdmitted_)) {
            refusal = QStringLiteral("Aborted");
            documentComing_ = false;
        }
    } else if (!frameGate_.allowsFrame(address, QUrl(topAddress_)))
        refusal = QStringLiteral("BlockedByClient");
    if (refusal.isEmpty())
        session_->send(QStringLiteral("Fetch.continueRequest"), {{QStringLiteral("requestId"), request}});
    else
        session_->send(QStringLiteral("Fetch.failRequest"),
                       {{QStringLiteral("requestId"), request}, {QStringLiteral("errorReason"), refusal}});
}

void ChromiumBrowser::onBindingCalled(const QJsonObject& params)
{
    const QJsonArray report = QJsonDocument::fromJson(text(params, "payload").toUtf8()).array();
    if (report.size() == 1) {
        topParsed_ = topParsed_ || report.at(0).toInt() == navigation_;
        return;
    }
    if (report.size() != 4)
        return;
    const DocumentId document = ++lastDocument_;
    documentTokens_.insert(document, report.at(0).toString());
    // A top document of an earlier navigation may report late.
    const bool currentTop = report.at(2).toBool() && report.at(3).toInt() == navigation_;
    if (currentTop)
        topReported_ = true;
    QPointer<ChromiumBrowser> self(this);
    Q_EMIT documentCompleted(document, report.at(1).toString());
    if (self && currentTop)
        Q_EMIT pageLoaded();
    if (self && currentTop) {
        if (const auto held = std::exchange(heldRead_, {}))
            held(true);
    }
}

void ChromiumBrowser::navigate(const QString& address)
{
    lastAddress_ = address;
    if (!connection_) {
        loadWhenReady(address);
        return;
    }
    // What a page stored (IndexedDB, local storage, caches: hundreds of MB) goes with its
    // context; a page made for this navigation has nothing before it to drop.
    pendingLoad_ = address;
    if (!starting_)
        makePage([] {});
}

void ChromiumBrowser::loadWhenReady(const QString& address)
{
    lastAddress_ = address;
    startEngine();
    if (!connection_)
        return;
    if (starting_ || !session_)
        pendingLoad_ = address;
    else
        load(address);
}

void ChromiumBrowser::load(const QString& address)
{
    if (!session_)
        return;
    wake();
    lastAddress_ = address;
    endedAtRest_ = false;
    pageCrashed_ = false;
    const int navigation = ++navigation_;
    QPointer<ChromiumBrowser> self(this);
    if (!reportScript_.isEmpty())
        session_->send(QStringLiteral("Page.removeScriptToEvaluateOnNewDocument"),
                       {{QStringLiteral("identifier"), std::exchange(reportScript_, {})}});
    const QString source =
        pageScriptCall(QStringLiteral("report-documents.js"),
                       {literal(reportBinding), QString::number(navigation), QString::number(loadedGraceMs)});
    session_->send(QStringLiteral("Page.addScriptToEvaluateOnNewDocument"),
                   {{QStringLiteral("source"), source}, {QStringLiteral("worldName"), scriptWorld}},
                   [self, session = session_](const DevToolsReply& reply) {
                       if (self && session && session == self->session_)
                           self->reportScript_ = text(reply.result, "identifier");
                   });
    // Loading from now on, not from when the engine says so: a rest meanwhile must not
    // stop this navigation.
    loading_ = true;
    topReported_ = false;
    topParsed_ = false;
    currentLoadWanted_ = true;
    navigationStarting_ = true;
    session_->send(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), address}},
                   [self, navigation, address](const DevToolsReply& reply) {
                       if (!self || navigation != self->navigation_ || self->topReported_)
                           return;
                       // No document of the site came: the page is what the engine shows
                       // instead, and it is loaded.
                       const QString error = text(reply.result, "errorText");
                       if (reply.ok && !error.isEmpty() && error != QLatin1String("net::ERR_ABORTED")) {
                           self->topReported_ = true;
                           self->loading_ = false;
                           Q_EMIT self->documentCompleted(++self->lastDocument_, address);
                           if (self)
                               Q_EMIT self->pageLoaded();
                       }
                   });
    watchdog_.check();
}

void ChromiumBrowser::bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                                   std::function<void(const QList<bool>& found)> done)
{
    const QString script =
        pageScriptCall(QStringLiteral("bind-elements.js"),
                       {literal(documentTokens_.value(document)), bindingsLiteral(bindings)});
    const int count = int(bindings.size());
    run(script, [done, count](const QVariant& result) {
        const QVariantList answers = result.toList();
        QList<bool> found;
        for (int i = 0; i < count; ++i)
            found.append(answers.value(i).toBool());
        if (done)
            done(found);
    });
}

void ChromiumBrowser::setValue(const QString& reference, const QString& text)
{
    run(pageScriptCall(QStringLiteral("set-value.js"), {literal(reference), literal(text)}), {});
}

void ChromiumBrowser::click(const QString& reference)
{
    loadWanted_ = true;
    run(pageScriptCall(QStringLiteral("click.js"), {literal(reference)}), {});
}

void ChromiumBrowser::readBodyText(std::function<void(const QString& text)> done)
{
    // A capture wants the page: an engine that died is brought back for the next one.
    if (!connection_ && !lastAddress_.isEmpty())
        loadWhenReady(lastAddress_);
    // The engine holds what is sent to a page until the document on its way is there, and
    // the page's load brings its own capture: this one finds the page between two documents.
    if (documentComing_) {
        answerLater(std::move(done), QString());
        return;
    }
    readBodyTextFrom(std::make_shared<QString>(), std::move(done));
}

void ChromiumBrowser::readBodyTextFrom(std::shared_ptr<QString> read,
                                       std::function<void(const QString& text)> done)
{
    QPointer<ChromiumBrowser> self(this);
    const QStringList arguments{QString::number(bodyTextCap), QString::number(read->size()),
                                QString::number(bodyTextPiece)};
    run(pageScriptCall(QStringLiteral("body-text.js"), arguments),
        [self, read, done](const QVariant& result) {
            const QVariantList answer = result.toList();
            if (answer.size() == 2) {
                read->append(answer.at(0).toString());
                if (self && answer.at(1).toBool())
                    self->readBodyTextFrom(read, done);
                else if (done)
                    done(*read);
                return;
            }
            // The document went while it was read (a page that keeps navigating itself): the
            // next one is read once it has completed, or nothing within the deadline.
            if (self && !self->heldRead_ && self->loading_ && !self->topReported_ && self->session_ &&
                !self->pageCrashed_) {
                self->heldRead_ = [self, done](bool read) {
                    if (read && self)
                        self->readBodyText(done);
                    else if (done)
                        done(QString());
                };
                QTimer::singleShot(self->answerDeadlineMs_, self, [self] {
                    if (const auto held = std::exchange(self->heldRead_, {}))
                        held(false);
                });
                return;
            }
            if (done)
                done(QString());
        });
}

bool ChromiumBrowser::pageAnswers() const
{
    return session_ && topContext_ != 0 && !pageCrashed_;
}

// Without a page (the engine not started, between two pages, or gone) or without a
// document of ours in it, every call still answers, later and with what an empty page gives.
void ChromiumBrowser::run(const QString& script, Answer done)
{
    if (!pageAnswers()) {
        answerLater(std::move(done), QVariant());
        return;
    }
    wake();
    const quint64 call = calls_.add(std::move(done));
    QPointer<ChromiumBrowser> self(this);
    session_->send(QStringLiteral("Runtime.evaluate"),
                   {{QStringLiteral("expression"), script},
                    {QStringLiteral("contextId"), topContext_},
                    {QStringLiteral("returnByValue"), true}},
                   [self, call](const DevToolsReply& reply) {
                       if (!self)
                           return;
                       QVariant value;
                       if (reply.ok && !reply.result.contains(QLatin1String("exceptionDetails")))
                           value = reply.result.value(QLatin1String("result"))
                                       .toObject()
                                       .value(QLatin1String("value"))
                                       .toVariant();
                       self->calls_.answer(call, value);
                   });
    QTimer::singleShot(answerDeadlineMs_, this, [this, call] {
        if (!calls_.isPending(call))
            return;
        calls_.answer(call, QVariant());
        watchdog_.check();
    });
}

void ChromiumBrowser::setAnswerDeadline(int ms)
{
    answerDeadlineMs_ = ms;
    watchdog_.setDeadline(qMin(ms, probeDeadlineMs));
}

qint64 ChromiumBrowser::pagePid() const
{
    if (!session_ || pageCrashed_)
        return 0;
    // Beside the page's own, the browser may keep a spare one that has done nothing yet.
    qint64 busiest = 0;
    qint64 busiestCpuMs = -1;
    for (const qint64 pid : process_.rendererPids()) {
        const qint64 cpuMs = IdleProcessWatch::cpuMs(pid);
        if (cpuMs > busiestCpuMs) {
            busiest = pid;
            busiestCpuMs = cpuMs;
        }
    }
    return busiest;
}

void ChromiumBrowser::endPageProcess()
{
    const QList<qint64> renderers = process_.rendererPids();
    // A browser whose page has no process left to end is itself what does not answer.
    if (renderers.isEmpty()) {
        endEngine();
        return;
    }
    for (const qint64 pid : renderers)
        ::kill(pid_t(pid), SIGKILL);
}

void ChromiumBrowser::onPageProcessEnded()
{
    pageCrashed_ = true;
    documentComing_ = false;
    topContext_ = 0;
    frozen_ = false;
    calls_.giveUpAll();
    watchdog_.forget();
    restWatch_.stop();
    QPointer<ChromiumBrowser> self(this);
    Q_EMIT pageProcessEnded();
    if (!self || !session_)
        return;
    const bool endedHung = std::exchange(endedHungProcess_, false);
    if (std::exchange(reviveWhenEnded_, false)) {
        load(lastAddress_);
        return;
    }
    // The navigation the hung page held may have died with it.
    if (endedHung && loading_ && !lastAddress_.isEmpty()) {
        loadWanted_ = true;
        session_->send(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), lastAddress_}});
    }
}

void ChromiumBrowser::endBusyRestingProcess(qint64 pid)
{
    if (pid <= 0 || !session_ || !resting_ || pagePid() != pid)
        return;
    endedAtRest_ = true;
    ::kill(pid_t(pid), SIGKILL);
}

bool ChromiumBrowser::revive()
{
    // An engine ended at rest, or one that died, comes back with the page last asked for.
    if (!connection_) {
        if (lastAddress_.isEmpty())
            return false;
        loadWhenReady(lastAddress_);
        return bool(connection_);
    }
    if (!session_)
        return !pendingLoad_.isEmpty();
    if (endedAtRest_ || pageCrashed_) {
        load(lastAddress_);
        return true;
    }
    if (!resting_)
        return false;
    // Woken, a page at rest must be seen answering before anything is sent to it: one that
    // spins in its freeze handler never will. It is ended (at once when caught spinning)
    // and loaded anew once its process has gone.
    reviveWhenEnded_ = true;
    if (restWatch_.spinning()) {
        endBusyRestingProcess(pagePid());
        return true;
    }
    wake();
    watchdog_.check([this] {
        if (std::exchange(reviveWhenEnded_, false))
            Q_EMIT pageLoaded();
    });
    return true;
}

void ChromiumBrowser::rest()
{
    // A navigation of ours still on its way is wanted, whatever a late capture says; the
    // capture after its page rests the page.
    if (session_ && loading_ && currentLoadWanted_ && !topReported_) {
        // Once its document is there, what it waits for are stragglers (an image that never
        // comes): stopped, it completes now rather than after the grace, and the capture
        // after that rests it.
        if (topParsed_ && topContext_ != 0) {
            session_->send(QStringLiteral("Page.stopLoading"));
            session_->send(QStringLiteral("Runtime.evaluate"),
                           {{QStringLiteral("expression"), QStringLiteral("window.__trovixReportNow()")},
                            {QStringLiteral("contextId"), topContext_}});
        }
        return;
    }
    // A click of ours may still start its navigation: that one stays wanted.
    resting_ = true;
    if (connection_)
        restTimer_.start(restBeforeEndingMs_);
    if (!session_)
        return;
    // A capture between two documents found nothing: the document on its way still comes,
    // and the capture after its load rests the page.
    if (documentComing_ && comingDocumentAdmitted_)
        return;
    if (loading_) {
        session_->send(QStringLiteral("Page.stopLoading"));
        loading_ = false;
    }
    // A frozen page answers nothing, so it must be seen answering first.
    watchdog_.check([this] { freeze(); });
}

void ChromiumBrowser::freeze()
{
    if (!resting_ || loading_ || documentComing_ || !session_)
        return;
    // A page that is shown focused is never frozen, whatever it is told.
    session_->send(QStringLiteral("Emulation.setFocusEmulationEnabled"),
                   {{QStringLiteral("enabled"), false}});
    session_->send(QStringLiteral("Page.setWebLifecycleState"),
                   {{QStringLiteral("state"), QStringLiteral("frozen")}});
    frozen_ = true;
    // What the engine does not freeze (a spinning freeze handler, say) is not left running.
    if (const qint64 pid = pagePid())
        restWatch_.watch(pid);
}

void ChromiumBrowser::wake()
{
    resting_ = false;
    restTimer_.stop();
    restWatch_.stop();
    if (std::exchange(frozen_, false) && session_) {
        session_->send(QStringLiteral("Page.setWebLifecycleState"),
                       {{QStringLiteral("state"), QStringLiteral("active")}});
        session_->send(QStringLiteral("Emulation.setFocusEmulationEnabled"),
                       {{QStringLiteral("enabled"), true}});
    }
}

} // namespace trovix
