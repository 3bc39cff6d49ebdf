#pragma once

#include "tracking/Browser.h"

#include <QHash>
#include <QPointer>

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
    // The view is a child of viewParent, objectName "WebBrowser1"; its owner places it.
    explicit WebEngineBrowser(QWidget* viewParent);
    ~WebEngineBrowser() override;

    QWebEngineView* view() const;

    void navigate(const QString& address) override;
    void bindElements(DocumentId document, const QList<ElementBinding>& bindings,
                      std::function<void(const QList<bool>& found)> done) override;
    void setValue(const QString& reference, const QString& text) override;
    void click(const QString& reference) override;
    void readBodyText(std::function<void(const QString& text)> done) override;

private:
    void onConsoleMessage(const QString& message);
    void run(const QString& script, std::function<void(const QVariant&)> done);

    QPointer<QWebEngineView> view_;
    QString reportTag_;
    QHash<DocumentId, QString> documentTokens_;
    DocumentId lastDocument_ = 0;
    bool closing_ = false;
};

} // namespace trovix
