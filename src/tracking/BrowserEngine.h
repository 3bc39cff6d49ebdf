#pragma once

#include <QStringList>

class QWidget;

namespace trovix {

class Browser;

// The browser engine comes as a module loaded once the window is on screen. It offers
// one function of this name: it makes the engine's browser, whose view fills viewParent
// and which loads frames only from a page's own site and from frameHosts.
using CreateEngineBrowser = Browser* (*)(QWidget* viewParent, const QStringList& frameHosts);
inline constexpr char createEngineBrowserName[] = "trovix_create_engine_browser";

} // namespace trovix
