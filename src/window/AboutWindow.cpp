#include "window/AboutWindow.h"

#include "common/Configuration.h"
#include "common/UsersBrowser.h"
#include "window/ClickableLabel.h"
#include "window/Form2.h"

namespace trovix {

AboutWindow::AboutWindow(QObject* parent) : QObject(parent) {}

Form2* AboutWindow::window() const
{
    return window_.data();
}

void AboutWindow::show()
{
    if (!window_) {
        window_ = new Form2;
        window_->setAttribute(Qt::WA_DeleteOnClose);
        connect(window_->Label10, &ClickableLabel::clicked, window_,
                [] { openInUsersBrowser(config::homePage()); });
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

} // namespace trovix
