#pragma once

#include <QJsonObject>
#include <QSize>
#include <QStringList>

namespace trovix {

// How the hidden page's Chromium is started: headless, with the least a page can use
// (no JIT and so no WebAssembly, no WebGL, no GPU process, no sound, no new windows),
// none of its own traffic to Google's services, and in Chinese.
QStringList chromiumArguments(const QString& executable, bool sandbox, QSize pageSize);

// Whether the sandbox stays on: only when nobody switched it off on purpose
// (QTWEBENGINE_DISABLE_SANDBOX=1, which Trovix sets for --no-sandbox too).
bool chromiumSandboxWanted();

// Emulation.setUserAgentOverride's parameters that make a headless browser of this
// User-Agent ("…HeadlessChrome/156.0.8078.129…") look like the desktop Chrome of its
// version, in Chinese: the text, the client hints and the languages.
QJsonObject desktopChromeIdentity(const QString& headlessUserAgent);

} // namespace trovix
