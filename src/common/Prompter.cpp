#include "common/Prompter.h"

namespace trovix {

MessageBoxPrompter::MessageBoxPrompter(QWidget* parent) : parent_(parent) {}

QString MessageBoxPrompter::applicationTitle()
{
    return QStringLiteral("Trovix");
}

QMessageBox::StandardButton MessageBoxPrompter::ask(const MessageBoxRequest& request)
{
    const QString caption = request.caption.isEmpty() ? applicationTitle() : request.caption;
    QMessageBox box(request.icon, caption, request.text, request.buttons, parent_.data());
    box.setTextFormat(Qt::PlainText);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace trovix
