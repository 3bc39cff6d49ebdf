#include "tracking/CourierChoice.h"

#include "tracking/CourierCatalogue.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace trovix {

CourierChoice::CourierChoice(QButtonGroup* options, QObject* parent) : QObject(parent), options_(options)
{
    connect(options_, &QButtonGroup::idToggled, this, [this](int row, bool on) {
        const Courier* courier = courierByRow(row);
        if (on && courier)
            Q_EMIT chosen(*courier);
    });
}

const Courier* CourierChoice::current() const
{
    return courierByRow(options_->checkedId());
}

QString CourierChoice::caption(const Courier& courier) const
{
    const QAbstractButton* option = options_->button(courier.row);
    return option ? option->text() : courier.displayName;
}

bool CourierChoice::choose(const QString& displayName)
{
    const Courier* courier = courierByDisplayName(displayName);
    QAbstractButton* option = courier ? options_->button(courier->row) : nullptr;
    if (!option)
        return false;
    option->setChecked(true);
    return true;
}

void CourierChoice::clearRows(int lastRow)
{
    const bool exclusive = options_->exclusive();
    // An exclusive group keeps one option on.
    options_->setExclusive(false);
    for (int row = 1; row <= lastRow; ++row) {
        if (QAbstractButton* option = options_->button(row))
            option->setChecked(false);
    }
    options_->setExclusive(exclusive);
}

} // namespace trovix
