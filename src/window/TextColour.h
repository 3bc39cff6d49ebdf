#pragma once

#include <QColor>

class QWidget;

namespace trovix {

// Text colours the windows were designed with.
inline const QColor Red(255, 0, 0);
inline const QColor Blue(0, 0, 255);
inline const QColor MediumGreen(0, 192, 0);

// Sets the colour of a control's text, whether it shows it as a caption or as
// editable text.
void setTextColour(QWidget* widget, const QColor& colour);

} // namespace trovix
