#pragma once

#include <QFont>
#include <QString>

// The Windows font faces the window was designed with, mapped onto installed
// Chinese faces of the same kind: song for 宋体/新宋体, sans for 微软雅黑/华文细黑/幼圆,
// kai for 华文楷体/华文行楷.
namespace trovix::fonts {

enum Style { Regular = 0, Bold = 1, Italic = 2, Underline = 4 };

QFont windowsFont(const QString& windowsFace, double pointSize, int style = Regular);

// The font of controls that have none of their own (宋体 9 pt).
QFont defaultFont();

// The font, made smaller in half-point steps (down to 5 pt) until the text fits the
// width on one line; a text that fits keeps the font as it is.
QFont fittingWidth(const QFont& font, const QString& text, int width);

} // namespace trovix::fonts
