#pragma once

#include <QObject>
#include <QString>

class QButtonGroup;

namespace trovix {

struct Courier;

// The courier the user has chosen: the window's group of option buttons, whose ids are
// the catalogue's rows. A courier is chosen when its option turns on, by the mouse, the
// keyboard, assistive technology or code alike.
class CourierChoice final : public QObject {
    Q_OBJECT
public:
    explicit CourierChoice(QButtonGroup* options, QObject* parent = nullptr);

    // nullptr while no option is on.
    const Courier* current() const;
    // The courier's option caption.
    QString caption(const Courier& courier) const;
    // Turns on the option of the courier with exactly this name, which chooses it unless it
    // is already chosen; false when no courier has that name.
    bool choose(const QString& displayName);
    // Turns off the options of rows 1 to lastRow; that chooses nothing.
    void clearRows(int lastRow);

Q_SIGNALS:
    void chosen(const trovix::Courier& courier);

private:
    QButtonGroup* options_;
};

} // namespace trovix
