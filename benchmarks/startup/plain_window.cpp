// The floor for Trovix's window: a plain Qt Widgets window that links no browser engine.
// It shows, lets its first drawing reach the display, and ends; bench_window_shown
// measures it from outside.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(846, 560);
    window.show();
    QTimer::singleShot(500, &application, &QCoreApplication::quit);
    return application.exec();
}
