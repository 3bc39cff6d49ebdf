#pragma once

#include <QObject>
#include <QPointer>

namespace trovix {

class Form2;
class UrlOpener;

// Keeps the one About window: shown modeless and without an owner, brought to the
// front when shown again, built anew once it was closed.
class AboutWindow : public QObject {
    Q_OBJECT
public:
    // The opener must live as long as the program: an About window may stay open
    // after the main window has closed.
    explicit AboutWindow(UrlOpener& opener, QObject* parent = nullptr);

    void show();
    Form2* window() const;

private:
    UrlOpener& opener_;
    QPointer<Form2> window_;
};

} // namespace trovix
