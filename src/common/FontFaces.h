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

} // namespace trovix::fonts
