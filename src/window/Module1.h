#pragma once

#include <QSize>

class QWidget;

// The window size lock: one set of state for the program, as it serves one window.
//
// The lock is measured on the window's outer size (frameGeometry, title bar and
// border included) and kept through the window system's size hints, minimum equal
// to maximum. Those hints bound the window's own geometry (client area with menu and
// status bar), not the decorations that the window manager adds around it, so the
// hint is the locked outer size less the decorations the window had at install.
namespace trovix::Module1 {

// Locks window at its current outer size. Does nothing while a lock is installed,
// so the first size holds, and nothing for a null window.
void install(QWidget* window);

// Gives the window back the minimum and maximum sizes it had before install; does
// nothing when no lock is installed.
void remove();

bool isInstalled();

// The outer size recorded at install, in pixels; invalid when not installed.
QSize lockedSize();

} // namespace trovix::Module1
