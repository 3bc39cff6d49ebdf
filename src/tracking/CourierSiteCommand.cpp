#include "tracking/CourierSiteCommand.h"

#include "common/UsersBrowser.h"
#include "tracking/CourierCatalogue.h"

#include <QPushButton>
#include <QRadioButton>

namespace trovix {

CourierSiteCommand::CourierSiteCommand(QPushButton* command7, QList<QRadioButton*> options, QObject* parent)
    : QObject(parent), options_(std::move(options))
{
    if (command7)
        connect(command7, &QPushButton::clicked, this, &CourierSiteCommand::open);
}

void CourierSiteCommand::open()
{
    for (const Courier& courier : couriers()) {
        const QRadioButton* option = options_.value(courier.row - 1);
        if (option && option->isChecked())
            openInUsersBrowser(siteAddress(courier));
    }
}

} // namespace trovix
