#pragma once

#include <QWidget>

namespace trovix {

class ClickableLabel;

// The About window: ten labels, no buttons; closed by its title bar.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    static QSize clientSize(); // 5640 x 3435 twips

    ClickableLabel* Label10; // the home page address, a link
};

} // namespace trovix
