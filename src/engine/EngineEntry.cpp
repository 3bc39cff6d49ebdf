#include "engine/WebEngineBrowser.h"
#include "tracking/BrowserEngine.h"

#include <QQuickWindow>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <type_traits>

extern "C" Q_DECL_EXPORT trovix::Browser* trovix_create_engine_browser(QWidget* viewParent,
                                                                       const QStringList& frameHosts)
{
    // The window is on screen by now, drawn without OpenGL; the page's drawing surface must be
    // of its kind, or Qt would recreate the shown window and leave the page without a surface.
    if (QQuickWindow::sceneGraphBackend() != QLatin1String("software"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    auto* browser = new trovix::WebEngineBrowser(viewParent, frameHosts);
    auto* layout = new QVBoxLayout(viewParent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser->view());
    return browser;
}

static_assert(std::is_same_v<decltype(&trovix_create_engine_browser), trovix::CreateEngineBrowser>);
