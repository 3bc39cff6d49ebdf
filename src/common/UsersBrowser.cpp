#include "common/UsersBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace trovix {

void openInUsersBrowser(const QString& address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

} // namespace trovix
