#pragma once

#include <QObject>

class QPushButton;

namespace trovix {

class CourierChoice;

// "打开快递官网" (Command7): opens the selected courier's own web site in the user's
// browser, outside Trovix, without waiting.
class CourierSiteCommand : public QObject {
    Q_OBJECT
public:
    // command7 may be null (then only open() runs the command).
    CourierSiteCommand(QPushButton* command7, const CourierChoice& choice, QObject* parent = nullptr);

    // With no courier selected this does nothing.
    void open();

private:
    const CourierChoice& choice_;
};

} // namespace trovix
