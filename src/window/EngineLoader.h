#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

class QWidget;

namespace trovix {

class Browser;

// The browser engine module as the build embedded it in the executable. An update that
// replaces the executable therefore replaces the engine too: the engine code that runs
// is always that of the running build.
QByteArrayView embeddedEngine();

// Loads an engine module from memory, never from a file another build could have left,
// and makes its browser, whose view fills viewParent. Null, with the reason in error, when
// the module cannot be loaded or offers no browser.
std::unique_ptr<Browser> loadEngineBrowser(QByteArrayView module, QWidget* viewParent, QString* error);

} // namespace trovix
