#include "engine/HiddenPage.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>

#include <utility>

namespace trovix {

namespace {

// The web's own schemes and those that stay inside the engine; any other would start
// another program.
bool followsScheme(const QString& scheme)
{
    static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("about"),
                                     QStringLiteral("data"), QStringLiteral("blob")};
    return schemes.contains(scheme.toLower());
}

} // namespace

HiddenPage::HiddenPage(QWebEngineProfile* profile, std::function<void(const QString&)> onMessage,
                       QObject* parent)
    : QWebEnginePage(profile, parent), onMessage_(std::move(onMessage))
{
    setAudioMuted(true);
    QWebEngineSettings* pageSettings = settings();
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    pageSettings->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    pageSettings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    pageSettings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    pageSettings->setAttribute(QWebEngineSettings::Accelerated2dCanvasEnabled, false);

    // A null authenticator cancels: one request, no retry with empty credentials.
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                *authenticator = QAuthenticator();
            });

    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [](QWebEngineDownloadRequest* download) { download->cancel(); });
}

void HiddenPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                          const QString&)
{
    onMessage_(message);
}

bool HiddenPage::javaScriptConfirm(const QUrl&, const QString& message)
{
    // The engine asks "leave this page?" through the same question; a page must never
    // keep Trovix from loading the next one.
    static const QString leavePage = QCoreApplication::translate(
        "QWebEnginePage",
        "Are you sure you want to leave this page? Changes that you made may not be saved.");
    return message == leavePage;
}

bool HiddenPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool)
{
    // Trovix's own navigations are typed ones.
    if (resting_ && type != NavigationTypeRedirect && type != NavigationTypeTyped)
        return false;
    return followsScheme(url.scheme());
}

} // namespace trovix
