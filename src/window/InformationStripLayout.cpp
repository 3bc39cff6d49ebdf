#include "window/InformationStripLayout.h"

#include "common/FontFaces.h"

#include <QLabel>

namespace trovix {

InformationStripLayout::InformationStripLayout(QWidget* frame, QLabel* fitted)
    : QHBoxLayout(frame), fitted_(fitted), designed_(fitted->font())
{
}

void InformationStripLayout::setGeometry(const QRect& rect)
{
    int room =
        rect.width() - contentsMargins().left() - contentsMargins().right() - spacing() * (count() - 1);
    for (int i = 0; i < count(); ++i) {
        if (itemAt(i)->widget() != fitted_)
            room -= itemAt(i)->sizeHint().width();
    }
    const QFont font = fonts::fittingWidth(designed_, fitted_->text(), room);
    // Setting the font lays the strip out again, which then finds the same font.
    if (font != fitted_->font())
        fitted_->setFont(font);
    QHBoxLayout::setGeometry(rect);
}

} // namespace trovix
