#pragma once

#include "engine/AnswerWatchdog.h"
#include "engine/BrowserProcess.h"
#include "engine/CallRecord.h"
#include "engine/FrameGate.h"
#include "engine/IdleProcessWatch.h"
#include "tracking/Browser.h"

#include <QHash>
#include <QJsonObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <memory>

namespace trovix {

class DevToolsConnection;
class DevToolsSession;

// The embedded browser: Debian's Chromium as a child process (BrowserProcess), driven over
// the DevTools pipe, with one page, never shown. A script of ours runs in every document
// (top page and frames) in a world of its own that page scripts cannot see: on the
// document's load event it registers the document on the top window and reports it
// through a binding that exists in that world only, so each completed document raises
// documentCompleted with its own address. Element references live on the page side, in
// the top window; C++ only learns whether they were found. Callbacks are dropped when the
// browser is destroyed before they arrive.
//
// Every other call is answered exactly once and in order, also when the page cannot
// answer: when the page process or the whole engine dies, every pending call is answered
// as on an empty page, and so is every call made before the next navigation starts a new
// one; an answer makes every call sent before it that is still unanswered (its document
// was replaced) answer so; and a call still unanswered after the answer deadline is given
// up the same way. A body text longer than one piece is read in several calls, so calls
// made meanwhile may answer before it.
//
// A call that passes the deadline makes the page prove it still answers; a page process
// that does not is ended, and recovered from as from a crash. A navigation makes it prove
// so too, as a hung page would hold the next one of its site.
//
// A document counts as completed at its load event, or loadedGraceMs after its content
// was parsed, whichever comes first. Each navigation is numbered in the report script, so
// a late report of the page being left is never taken for the page asked for.
//
// At rest the page follows no navigation of its own, a load still open is stopped, and
// the page is frozen once it has answered. Only a navigation Trovix started (a navigate, a
// click) whose document has not completed yet goes on, and a document already on its way
// when the rest came, whose load brings the capture that rests the page. A frozen page
// whose process still uses CPU is ended; revive() or the next navigation brings it back.
// After restBeforeEndingMs at rest the whole engine is ended, and it comes back when the
// page is wanted again.
//
// The engine starts with the first navigation. Each navigate() gets a fresh in-memory
// browser context, and the old one is disposed with all its page stored; revive() and the
// page's own navigations (a Query's result page) keep it, so cookies hold within one
// courier's query flow. An engine that was killed, crashed or hung is started again by the
// next navigate(), revive() or readBodyText(); one that cannot start is reported by
// engineUnavailable, and tried again at the next navigate().
class ChromiumBrowser final : public Browser {
    Q_OBJECT
public:
    // The page lays out at pageSize. Frames load only from the top document's own site and
    // from frameHosts.
    ChromiumBrowser(QSize pageSize, const QStringList& frameHosts, QObject* parent = nullptr);
    ~ChromiumBrowser() override;

    static constexpr int defaultAnswerDeadlineMs = 15000;
    // A page that kept a call waiting, or is asked for a navigation, must answer sooner.
    static constexpr int probeDeadlineMs = 3000;
    // Far beyond any real page's text, in UTF-16 code units.
    static constexpr int bodyTextCap = 8 * 1024 * 1024;
    // The body text crosses in pieces of this many UTF-16 units, so that no one answer
    // holds the window long (a CJK unit is 6 bytes on the pipe).
    static constexpr int bodyTextPiece = 256 * 1024;
    static constexpr int loadedGraceMs = 3000;
    // From the engine's start until it must have its page ready.
    static constexpr int startDeadlineMs = 30000;
    // Wanted nothing of for this long, the engine is ended: it holds most of Trovix's memory.
    static constexpr int restBeforeEndingMs = 60000;
    void setAnswerDeadline(int ms);
    void setRestBeforeEnding(int ms) { restBeforeEndingMs_ = ms; }

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;
    void rest() override;
    bool revive() override;

    // What the engine is doing, as far as anyone outside it can tell.
    bool engineRunning() const { return bool(connection_); }
    qint64 enginePid() const { return process_.pid(); }
    // The process of the page; 0 when it has none.
    qint64 pagePid() const;
    bool isFrozen() const { return frozen_; }
    // The address the top document was last committed at.
    QString currentAddress() const { return topAddress_; }

Q_SIGNALS:
    // The engine could not be started, or ended before its page was ready.
    void engineUnavailable(const QString& reason);
    // The page's process ended: crashed, or ended by us.
    void pageProcessEnded();
    // The whole engine ended, by itself or at rest.
    void engineEnded();

private:
    using Answer = CallRecord::Answer;

    void startEngine();
    void endEngine();
    void onEngineClosed();
    // A new browser context and page with every rule set; then runs `then`.
    void makePage(std::function<void()> then);
    void setUpPage(DevToolsSession* session, std::function<void()> then);
    void sendInTurn(const QList<std::pair<QString, QJsonObject>>& commands, int next,
                    std::function<void()> then);
    void onPageEvent(const QString& method, const QJsonObject& params);
    void onRequestPaused(const QJsonObject& params);
    void onBindingCalled(const QJsonObject& params);
    void onNavigated(const QJsonObject& reply);
    void load(const QString& address);
    void loadWhenReady(const QString& address);
    void run(const QString& script, Answer done);
    void readBodyTextFrom(std::shared_ptr<QString> read, std::function<void(const QString& text)> done);
    void wake();
    void freeze();
    void onPageProcessEnded();
    void endPageProcess();
    void endBusyRestingProcess(qint64 pid);
    bool pageAnswers() const;

    QSize pageSize_;
    FrameGate frameGate_;
    BrowserProcess process_;
    std::unique_ptr<DevToolsConnection> connection_;
    QPointer<DevToolsSession> session_;
    QString userAgent_;
    QString browserContext_;
    QString targetId_;
    QString reportScript_;
    int topContext_ = 0;
    QString topAddress_;
    bool starting_ = false;
    int pageGeneration_ = 0;
    QString pendingLoad_;
    bool pendingLoadIsNew_ = false;
    QHash<DocumentId, QString> documentTokens_;
    DocumentId lastDocument_ = 0;
    QString lastAddress_;
    bool pageCrashed_ = false;
    bool loading_ = false;
    bool resting_ = false;
    bool frozen_ = false;
    bool endedHungProcess_ = false;
    int loadsFinished_ = 0;
    int navigation_ = 0;
    bool topReported_ = false;
    bool topParsed_ = false;
    // A navigation of the top frame is on its way and its document not yet there.
    bool documentComing_ = false;
    // The coming document is ours or came before the rest: a rest lets it through.
    bool comingDocumentAdmitted_ = false;
    // Whether the next load, and the one under way, are Trovix's own; a navigate()
    // stays so until its load has started, whatever comes between.
    bool loadWanted_ = false;
    bool navigationStarting_ = false;
    bool currentLoadWanted_ = false;
    bool endedAtRest_ = false;
    bool reviveWhenEnded_ = false;
    std::function<void(bool read)> heldRead_;
    int answerDeadlineMs_ = 0;
    int restBeforeEndingMs_ = restBeforeEndingMs;
    QTimer restTimer_;
    QTimer startDeadline_;
    CallRecord calls_;
    AnswerWatchdog watchdog_;
    IdleProcessWatch restWatch_;
};

} // namespace trovix
