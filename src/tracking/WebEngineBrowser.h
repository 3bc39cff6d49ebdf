#pragma once

#include "tracking/Browser.h"

#include <QHash>
#include <QPointer>

class QWebEnginePage;
class QWebEngineView;
class QWidget;

namespace trovix {

// The embedded browser over Qt WebEngine. A script of ours runs in every document
// (top page and frames) in a world of its own that page scripts cannot see: on the
// document's load event it registers the document on the top window and reports it,
// so each completed document raises documentCompleted with its own address. Element
// references live on the page side, in the top window; C++ only learns whether they
// were found. Callbacks are dropped when the browser is destroyed before they arrive.
class WebEngineBrowser : public Browser {
    Q_OBJECT
public:
    // When the engine (profile, page, helper processes) starts. Its start takes long
    // enough to hold a window off the screen, so a window can come first: the engine
    // then starts right after the view's window is first on screen and drawn. Until
    // then navigations wait, in order, and every other call answers as without a
    // document. A window that is never shown never starts it. AfterWindowShown makes
    // Qt Quick draw in software in the whole process.
    enum class EngineStart { Immediately, AfterWindowShown };

    // The view is a child of viewParent, objectName "WebBrowser1"; its owner places it.
    explicit WebEngineBrowser(QWidget* viewParent, EngineStart start = EngineStart::Immediately);
    ~WebEngineBrowser() override;

    QWebEngineView* view() const;
    bool engineStarted() const;

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startEngine();
    void onConsoleMessage(const QString& message);
    void run(const QString& script, std::function<void(const QVariant&)> done);

    QPointer<QWebEngineView> view_;
    QPointer<QWebEnginePage> page_;
    QStringList waitingNavigations_;
    QString reportTag_;
    QHash<DocumentId, QString> documentTokens_;
    DocumentId lastDocument_ = 0;
    bool closing_ = false;
};

} // namespace trovix
