#pragma once

#include <QWebEnginePage>

#include <functional>

class QWebEngineProfile;

namespace trovix {

// The page of the hidden browser: an instrument, never a window. Nothing a page does
// reaches the user or another program, and nothing it asks for is granted: dialogs are
// answered at once as a user who refuses would (but a page may always be left), every
// permission, window, full screen request and download is refused, schemes that
// would start another program are not followed, and its sound is muted. The engine
// answers nothing in the user's place either: authentication is refused at once and a
// file chooser gets no file. It is given the least the engine offers: no WebGL, no
// accelerated canvas. At rest it follows no navigation of its own but a redirect of one
// under way. Console messages go to onMessage.
class HiddenPage final : public QWebEnginePage {
public:
    HiddenPage(QWebEngineProfile* profile, std::function<void(const QString&)> onMessage, QObject* parent);

    void setResting(bool resting) { resting_ = resting; }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override;
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString& message) override;
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override;
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }

private:
    std::function<void(const QString&)> onMessage_;
    bool resting_ = false;
};

} // namespace trovix
