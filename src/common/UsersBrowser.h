#pragma once

#include <QString>

namespace trovix {

// Opens an address in the user's own web browser, outside Trovix, without waiting.
void openInUsersBrowser(const QString& address);

} // namespace trovix
