#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <string>
#include <sys/types.h>

// A real X11 desktop of the test's own: an Xvfb server on a free display with the
// openbox window manager on it, both stopped when the desktop goes. It needs no
// application object, so a test can put its own process on the display before Qt
// starts.
class X11Desktop {
public:
    X11Desktop();
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool running() const { return !display_.empty() && windowManager_ > 0; }
    QString error() const { return QString::fromStdString(error_); }
    // ":N"
    QString display() const { return QString::fromStdString(display_); }
    // This process's environment for a Qt program on the desktop.
    QProcessEnvironment environment() const;
    // Waits, in an event loop, until the window manager manages the desktop.
    bool waitForWindowManager() const;

private:
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
    std::string display_;
    std::string error_;
};
