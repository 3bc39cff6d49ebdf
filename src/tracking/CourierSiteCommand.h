#pragma once

#include <QList>
#include <QObject>

class QPushButton;
class QRadioButton;

namespace trovix {

// "打开快递官网" (Command7): opens the selected courier's own web site in the user's
// browser, outside Trovix, without waiting.
class CourierSiteCommand : public QObject {
    Q_OBJECT
public:
    // options: Option1..Option15, index = row - 1. command7 may be null (then only
    // open() runs the command).
    CourierSiteCommand(QPushButton* command7, QList<QRadioButton*> options, QObject* parent = nullptr);

    // With no courier selected this does nothing.
    void open();

private:
    QList<QRadioButton*> options_;
};

} // namespace trovix
