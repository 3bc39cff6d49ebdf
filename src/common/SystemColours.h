#pragma once

#include <QColor>

// Windows system colours in the form designer's notation (0x80000000 | index), mapped
// once to fixed colours that look like them.
namespace trovix::colours {

constexpr quint32 ApplicationWorkspace = 0x8000000C;
constexpr quint32 InactiveBorder = 0x8000000B;

QColor systemColour(quint32 designerValue);

} // namespace trovix::colours
