#pragma once

#include <QWebEnginePage>

#include <functional>

class QWebEngineProfile;

namespace trovix {

// The page of the hidden browser: an instrument, never a window. Nothing a page does
// reaches the user or another program, and nothing it asks for is granted: dialogs are
// answered at once as a user who refuses would (but a page may always be left), every
// permission, window, full screen request and download is refused, schemes that
// would start another program are not followed, and its sound is muted. Console
// messages go to onMessage.
class HiddenPage final : public QWebEnginePage {
public:
    HiddenPage(QWebEngineProfile* profile, std::function<void(const QString&)> onMessage, QObject* parent);

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override;
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString& message) override;
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override;

private:
    std::function<void(const QString&)> onMessage_;
};

} // namespace trovix
