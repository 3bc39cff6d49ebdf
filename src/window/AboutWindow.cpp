#include "window/AboutWindow.h"

#include "common/Configuration.h"
#include "common/UrlOpener.h"
#include "window/ClickableLabel.h"
#include "window/Form2.h"

namespace trovix {

AboutWindow::AboutWindow(UrlOpener& opener, QObject* parent) : QObject(parent), opener_(opener) {}

Form2* AboutWindow::window() const
{
    return window_.data();
}

void AboutWindow::show()
{
    if (!window_) {
        window_ = new Form2;
        window_->setAttribute(Qt::WA_DeleteOnClose);
        UrlOpener& opener = opener_;
        connect(window_->Label10, &ClickableLabel::clicked, window_,
                [&opener] { opener.open(config::homePage()); });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace trovix
