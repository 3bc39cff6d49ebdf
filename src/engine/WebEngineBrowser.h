#pragma once

#include "engine/AnswerWatchdog.h"
#include "engine/CallRecord.h"
#include "engine/IdleProcessWatch.h"
#include "tracking/Browser.h"

#include <QHash>
#include <QPointer>
#include <QStringList>

#include <memory>

class QWebEngineView;
class QWidget;

namespace trovix {

class HiddenPage;

// The embedded browser over Qt WebEngine. A script of ours runs in every document
// (top page and frames) in a world of its own that page scripts cannot see: on the
// document's load event it registers the document on the top window and reports it,
// so each completed document raises documentCompleted with its own address. Element
// references live on the page side, in the top window; C++ only learns whether they
// were found. Callbacks are dropped when the browser is destroyed before they arrive.
//
// Every other call is answered exactly once and in order, also when the page cannot
// answer: when the page process dies, every pending call is answered as on an empty
// page, and so is every call made before the next navigation starts a new one; an
// answer makes every call sent before it that is still unanswered (its document was
// replaced) answer so; and a call still unanswered after the answer deadline is given
// up the same way.
// A body text longer than one piece is read in several calls, so calls made meanwhile
// may answer before it.
//
// A call that passes the deadline makes the page prove it still answers; a page process
// that does not is ended, and recovered from as from a crash. A navigation makes it
// prove so too, as a hung page would hold the next one of its site.
//
// A document counts as completed at its load event, or loadedGraceMs after its content
// was parsed, whichever comes first: an image or script that never arrives does not
// hold it. Each navigation is numbered in the report script, so a late report of the
// page being left is never taken for the page asked for.
//
// At rest the page follows no navigation of its own, a load still open is stopped, and
// the page is hidden and frozen once it has answered. Only a navigation Trovix started
// (a navigate, a click) whose document has not completed yet goes on: its completion
// leads to calls, and the capture after it to rest again. A frozen page whose process
// still uses CPU is ended; revive() or the next navigation brings it back.
//
// Every navigate() but the first starts on a new in-memory profile and page, and the old
// ones are deleted with all the page stored: a page can fill the profile with hundreds of
// MB. revive() and the page's own navigations (a Query's result page) keep them, so
// cookies hold within one courier's query flow.
class WebEngineBrowser : public Browser {
    Q_OBJECT
public:
    // The engine (profile, page, helper processes) starts with it. The view is a child
    // of viewParent, objectName "WebBrowser1"; its owner places it. Frames load only from
    // the top document's own site and from frameHosts.
    WebEngineBrowser(QWidget* viewParent, const QStringList& frameHosts);
    ~WebEngineBrowser() override;

    QWebEngineView* view() const;

    static constexpr int defaultAnswerDeadlineMs = 15000;
    // A page that kept a call waiting, or is asked for a navigation, must answer sooner.
    static constexpr int probeDeadlineMs = 3000;
    // Far beyond any real page's text, in UTF-16 code units.
    static constexpr int bodyTextCap = 8 * 1024 * 1024;
    // The body text crosses to this thread in pieces of this many UTF-16 units, so that no
    // one answer holds the window long.
    static constexpr int bodyTextPiece = 256 * 1024;
    static constexpr int loadedGraceMs = 3000;
    // From a profile's deletion until the memory it freed goes back to the system.
    static constexpr int heapTrimDelayMs = 3000;
    void setAnswerDeadline(int ms);

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;
    void rest() override;
    bool revive() override;

private:
    using Answer = CallRecord::Answer;

    void startEngine();
    void readBodyTextFrom(std::shared_ptr<QString> read, std::function<void(const QString& text)> done);
    // A new in-memory profile and page, with everything the hidden page needs.
    void makePage();
    void renewPage();
    void load(const QString& address);
    void installReportScript();
    void onConsoleMessage(const QString& message);
    void run(const QString& script, Answer done);
    void wake();
    void onRenderProcessTerminated();
    void freeze();
    void endBusyRestingProcess(qint64 pid);

    QStringList frameHosts_;
    QPointer<QWebEngineView> view_;
    QPointer<HiddenPage> page_;
    QString reportTag_;
    QHash<DocumentId, QString> documentTokens_;
    DocumentId lastDocument_ = 0;
    bool closing_ = false;
    QString lastAddress_;
    bool loading_ = false;
    bool resting_ = false;
    bool endedHungProcess_ = false;
    int loadsFinished_ = 0;
    int navigation_ = 0;
    bool topReported_ = false;
    bool topParsed_ = false;
    // Whether the next load, and the one under way, are Trovix's own; a navigate()
    // stays so until its load has started, whatever comes between.
    bool loadWanted_ = false;
    bool navigationStarting_ = false;
    bool currentLoadWanted_ = false;
    bool endedAtRest_ = false;
    bool reviveWhenEnded_ = false;
    std::function<void(bool read)> heldRead_;
    int answerDeadlineMs_ = 0;
    CallRecord calls_;
    AnswerWatchdog watchdog_;
    IdleProcessWatch restWatch_;
};

} // namespace trovix
