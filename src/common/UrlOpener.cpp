#include "common/UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace trovix {

void DesktopUrlOpener::open(const QString& address)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

} // namespace trovix
