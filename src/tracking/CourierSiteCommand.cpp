#include "tracking/CourierSiteCommand.h"

#include "common/UrlOpener.h"
#include "tracking/CourierCatalogue.h"

#include <QPushButton>
#include <QRadioButton>

namespace trovix {

CourierSiteCommand::CourierSiteCommand(QPushButton* command7, QList<QRadioButton*> options, UrlOpener& opener,
                                       QObject* parent)
    : QObject(parent), options_(std::move(options)), opener_(opener)
{
    if (command7)
        connect(command7, &QPushButton::clicked, this, &CourierSiteCommand::open);
}

void CourierSiteCommand::open()
{
    for (const Courier& courier : couriers()) {
        const QRadioButton* option = options_.value(courier.row - 1);
        if (option && option->isChecked())
            opener_.open(siteAddress(courier));
    }
}

} // namespace trovix
