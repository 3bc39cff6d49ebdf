#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace trovix {

// The updater's only window: the verdict of the check above the progress line.
class Form3 final : public QWidget {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

    QLabel* const Label2;
    QLabel* const Label1;
    QTimer* const Timer1;
};

} // namespace trovix
