#include "TrackingWidgetSet.h"

#include "tracking/CourierCatalogue.h"
#include "tracking/PageTextBuffer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTextEdit>
#include <QTimer>

TrackingWidgetSet::TrackingWidgetSet()
{
    for (const trovix::Courier& courier : trovix::couriers()) {
        auto* option = new QRadioButton(courier.displayName, &form);
        option->setObjectName(courier.optionName);
        group.addButton(option, courier.row);
    }
    widgets.courierChoice = &choice;
    widgets.text1 = new QLineEdit(&form);
    widgets.text2 = new QLineEdit(&form);
    widgets.text3 = new QLineEdit(QStringLiteral("5"), &form);
    widgets.label4 = new QLabel(&form);
    widgets.label6 = new QLabel(&form);
    widgets.label14 = new QLabel(QStringLiteral("无验证码"), &form);
    widgets.image1 = new QLabel(&form);
    widgets.command5 = new QPushButton(QStringLiteral("查询"), &form);
    widgets.command5->setEnabled(false);
    widgets.richTextBox2 = new trovix::PageTextBuffer(&form);
    widgets.richTextBox3 = new QTextEdit(&form);
    widgets.timer1 = new QTimer(&form);
    widgets.timer1->setInterval(5000);
}

QRadioButton* TrackingWidgetSet::option(int row) const
{
    return qobject_cast<QRadioButton*>(group.button(row));
}

bool TrackingWidgetSet::expireTimer1()
{
    QTimer* timer1 = widgets.timer1;
    const int interval = timer1->interval();
    QSignalSpy expired(timer1, &QTimer::timeout);
    timer1->start(0);
    const bool ran = expired.wait();
    timer1->setInterval(interval);
    return ran;
}
