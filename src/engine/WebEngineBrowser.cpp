#include "engine/WebEngineBrowser.h"

#include "engine/FrameGate.h"
#include "engine/HiddenPage.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <utility>

#include <malloc.h>
#include <signal.h>

namespace trovix {

namespace {

constexpr quint32 scriptWorld = QWebEngineScript::ApplicationWorld;
constexpr const char* chromiumFlagsVariable = "QTWEBENGINE_CHROMIUM_FLAGS";
constexpr const char* jitlessFlag = "--js-flags=--jitless";

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

} // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* viewParent, const QStringList& frameHosts)
    : frameHosts_(frameHosts),
      reportTag_(
          QStringLiteral("trovix-%1:").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0'))),
      watchdog_({[this] { return page_ ? page_->renderProcessPid() : 0; },
                 [this](std::function<void()> answered) {
                     QPointer<WebEngineBrowser> self(this);
                     page_->runJavaScript(QStringLiteral("0"), scriptWorld,
                                          [self, answered](const QVariant&) {
                                              if (self && !self->closing_)
                                                  answered();
                                          });
                 },
                 [this] { return loadsFinished_; },
                 [this](qint64 pid) {
                     endedHungProcess_ = true;
                     ::kill(pid_t(pid), SIGKILL);
                 }},
                this),
      restWatch_([this](qint64 pid) { endBusyRestingProcess(pid); })
{
    setAnswerDeadline(defaultAnswerDeadlineMs);
    view_ = new QWebEngineView(viewParent);
    view_->setObjectName(QStringLiteral("WebBrowser1"));
    startEngine();
}

void WebEngineBrowser::startEngine()
{
    // V8 without its JIT (so without WebAssembly): the engine gets no security fixes, so
    // the page gets the least it can use. Read once, as the engine starts.
    const QByteArray engineFlags = qgetenv(chromiumFlagsVariable);
    if (!engineFlags.contains(jitlessFlag))
        qputenv(chromiumFlagsVariable, QByteArray(engineFlags + ' ' + jitlessFlag).trimmed());
    makePage();
}

void WebEngineBrowser::makePage()
{
    QPointer<WebEngineBrowser> self(this);
    // Without a storage name: in memory only, and the page's alone. It outlives the page.
    auto* profile = new QWebEngineProfile(this);
    profile->setUrlRequestInterceptor(new FrameGate(frameHosts_, profile));
    auto* page = new HiddenPage(
        profile,
        [self](const QString& message) {
            if (self && !self->closing_)
                self->onConsoleMessage(message);
        },
        view_);
    // Calls the dead process had not answered never will be; the next navigation starts
    // a new process.
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [self] {
        if (self && !self->closing_)
            self->onRenderProcessTerminated();
    });
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        loading_ = true;
        topReported_ = false;
        topParsed_ = false;
        currentLoadWanted_ = std::exchange(loadWanted_, false) || std::exchange(navigationStarting_, false);
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this] {
        loading_ = false;
        ++loadsFinished_;
    });
    view_->setPage(page);
    page_ = page;
    installReportScript();
}

void WebEngineBrowser::renewPage()
{
    calls_.giveUpAll();
    restWatch_.stop();
    watchdog_.forget();
    endedHungProcess_ = false;
    reviveWhenEnded_ = false;
    QPointer<HiddenPage> old = page_.data();
    QPointer<QWebEngineProfile> oldProfile = old->profile();
    old->disconnect(this);
    makePage();
    // Not from within a call of the old page's own (its console message may have led
    // here): the engine is still in it. Its late reports are of an earlier navigation.
    QTimer::singleShot(0, this, [this, old, oldProfile] {
        // It answers its pending scripts while it is torn down; nobody listens.
        closing_ = true;
        delete old.data();
        delete oldProfile.data();
        closing_ = false;
        QTimer::singleShot(heapTrimDelayMs, this, [] { malloc_trim(0); });
    });
}

WebEngineBrowser::~WebEngineBrowser()
{
    // The page answers pending scripts while it is torn down; nobody is listening by then.
    closing_ = true;
    delete view_.data();
}

QWebEngineView* WebEngineBrowser::view() const
{
    return view_.data();
}

void WebEngineBrowser::installReportScript()
{
    const QString name = QStringLiteral("trovix-documents");
    for (const QWebEngineScript& old : page_->scripts().find(name))
        page_->scripts().remove(old);
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(scriptWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(
        pageScriptCall(QStringLiteral("report-documents.js"),
                       {literal(reportTag_), QString::number(navigation_), QString::number(loadedGraceMs)}));
    page_->scripts().insert(script);
}

void WebEngineBrowser::navigate(const QString& address)
{
    // What a page stored (IndexedDB, local storage, caches: hundreds of MB, in memory)
    // goes with its profile; the first page has nothing before it to drop.
    if (page_ && !lastAddress_.isEmpty())
        renewPage();
    load(address);
}

void WebEngineBrowser::load(const QString& address)
{
    if (page_) {
        wake();
        lastAddress_ = address;
        endedAtRest_ = false;
        ++navigation_;
        installReportScript();
        // Loading from now on, not from when the engine says so: a rest meanwhile must
        // not stop this navigation.
        loading_ = true;
        topReported_ = false;
        topParsed_ = false;
        currentLoadWanted_ = true;
        navigationStarting_ = true;
        page_->setUrl(QUrl(address));
        watchdog_.check();
    }
}

void WebEngineBrowser::bindElements(DocumentId document, const QList<ElementBinding>& bindings,
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

void WebEngineBrowser::setValue(const QString& reference, const QString& text)
{
    run(pageScriptCall(QStringLiteral("set-value.js"), {literal(reference), literal(text)}), {});
}

void WebEngineBrowser::click(const QString& reference)
{
    loadWanted_ = true;
    run(pageScriptCall(QStringLiteral("click.js"), {literal(reference)}), {});
}

void WebEngineBrowser::readBodyText(std::function<void(const QString& text)> done)
{
    readBodyTextFrom(std::make_shared<QString>(), std::move(done));
}

void WebEngineBrowser::readBodyTextFrom(std::shared_ptr<QString> read,
                                        std::function<void(const QString& text)> done)
{
    QPointer<WebEngineBrowser> self(this);
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
            // The document went while it was read (a page that keeps navigating itself):
            // the next one is read once it has completed, or nothing within the deadline.
            if (self && !self->heldRead_ && self->loading_ && !self->topReported_ && self->page_ &&
                self->page_->renderProcessPid() != 0) {
                self->heldRead_ = [self, done](bool read) {
                    if (read)
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

void WebEngineBrowser::onConsoleMessage(const QString& message)
{
    if (!message.startsWith(reportTag_))
        return;
    const QJsonArray report = QJsonDocument::fromJson(message.mid(reportTag_.size()).toUtf8()).array();
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
    QPointer<WebEngineBrowser> self(this);
    Q_EMIT documentCompleted(document, report.at(1).toString());
    if (self && currentTop)
        Q_EMIT pageLoaded();
    if (self && currentTop) {
        if (const auto held = std::exchange(heldRead_, {}))
            held(true);
    }
}

// Without a page (the engine not started yet, or the view gone), or without a page
// process (none started yet, or it died: the engine then answers nothing), every call
// still answers, later and with what an empty page gives.
void WebEngineBrowser::run(const QString& script, Answer done)
{
    if (!page_ || page_->renderProcessPid() == 0) {
        if (done)
            QMetaObject::invokeMethod(
                this, [done] { done(QVariant()); }, Qt::QueuedConnection);
        return;
    }
    wake();
    const quint64 call = calls_.add(std::move(done));
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(script, scriptWorld, [self, call](const QVariant& result) {
        if (self && !self->closing_)
            self->calls_.answer(call, result);
    });
    QTimer::singleShot(answerDeadlineMs_, this, [this, call] {
        if (!calls_.isPending(call))
            return;
        calls_.answer(call, QVariant());
        watchdog_.check();
    });
}

void WebEngineBrowser::setAnswerDeadline(int ms)
{
    answerDeadlineMs_ = ms;
    watchdog_.setDeadline(qMin(ms, probeDeadlineMs));
}

void WebEngineBrowser::onRenderProcessTerminated()
{
    calls_.giveUpAll();
    watchdog_.forget();
    restWatch_.stop();
    const bool endedHung = std::exchange(endedHungProcess_, false);
    if (std::exchange(reviveWhenEnded_, false) && page_) {
        load(lastAddress_);
        return;
    }
    // The navigation the hung page held may have died with it.
    if (endedHung && loading_ && !lastAddress_.isEmpty() && page_) {
        loadWanted_ = true;
        page_->setUrl(QUrl(lastAddress_));
    }
}

void WebEngineBrowser::endBusyRestingProcess(qint64 pid)
{
    if (!page_ || !resting_ || page_->renderProcessPid() != pid)
        return;
    endedAtRest_ = true;
    ::kill(pid_t(pid), SIGKILL);
}

bool WebEngineBrowser::revive()
{
    if (!page_)
        return false;
    const qint64 pid = page_->renderProcessPid();
    if (endedAtRest_ || (resting_ && pid == 0)) {
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
        endBusyRestingProcess(pid);
        return true;
    }
    wake();
    watchdog_.check([this] {
        if (std::exchange(reviveWhenEnded_, false))
            Q_EMIT pageLoaded();
    });
    return true;
}

void WebEngineBrowser::rest()
{
    // A navigation of ours still on its way is wanted, whatever a late capture says; the
    // capture after its page rests the page.
    if (page_ && loading_ && currentLoadWanted_ && !topReported_) {
        // Once its document is there, what it waits for are stragglers (an image that never
        // comes): stopped, it completes now rather than after the grace, and the capture
        // after that rests it.
        if (topParsed_) {
            page_->triggerAction(QWebEnginePage::Stop);
            page_->runJavaScript(QStringLiteral("window.__trovixReportNow()"), scriptWorld);
        }
        return;
    }
    resting_ = true;
    // What the page starts from now on is its own.
    loadWanted_ = false;
    if (!page_)
        return;
    page_->setResting(true);
    if (loading_) {
        page_->triggerAction(QWebEnginePage::Stop);
        loading_ = false;
    }
    // A frozen page answers nothing, so it must be seen answering first.
    watchdog_.check([this] { freeze(); });
}

void WebEngineBrowser::freeze()
{
    if (!resting_ || loading_ || !page_)
        return;
    page_->setVisible(false);
    page_->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    // What the engine does not freeze (a spinning freeze handler, say) is not left running.
    if (const qint64 pid = page_->renderProcessPid())
        restWatch_.watch(pid);
}

void WebEngineBrowser::wake()
{
    resting_ = false;
    restWatch_.stop();
    page_->setResting(false);
    if (page_->lifecycleState() != QWebEnginePage::LifecycleState::Active)
        page_->setLifecycleState(QWebEnginePage::LifecycleState::Active);
    if (view_ && view_->isVisible() && !page_->isVisible())
        page_->setVisible(true);
}

} // namespace trovix
