#include "tracking/CourierSiteCommand.h"

#include "common/UsersBrowser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/CourierChoice.h"

#include <QPushButton>

namespace trovix {

CourierSiteCommand::CourierSiteCommand(QPushButton* command7, const CourierChoice& choice, QObject* parent)
    : QObject(parent), choice_(choice)
{
    if (command7)
        connect(command7, &QPushButton::clicked, this, &CourierSiteCommand::open);
}

void CourierSiteCommand::open()
{
    if (const Courier* courier = choice_.current())
        openInUsersBrowser(siteAddress(*courier));
}

} // namespace trovix
