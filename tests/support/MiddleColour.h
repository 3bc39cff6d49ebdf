#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// The colour the widget draws at its centre.
inline QColor middleColour(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}
