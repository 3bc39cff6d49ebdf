#pragma once

class QWidget;

namespace trovix {

class Browser;

// The browser engine comes as a module loaded once the window is on screen. It offers
// one function of this name: it makes the engine's browser, whose view fills viewParent.
using CreateEngineBrowser = Browser* (*)(QWidget* viewParent);
inline constexpr char createEngineBrowserName[] = "trovix_create_engine_browser";

} // namespace trovix
