#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

namespace trovix {

// One message box as the program asks for it: text, caption, buttons, icon.
struct MessageBoxRequest {
    QString text;
    QString caption; // empty: the application's own title, "Trovix"
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    bool operator==(const MessageBoxRequest& other) const
    {
        return text == other.text && caption == other.caption && buttons == other.buttons &&
               icon == other.icon;
    }
};

// Every message box of the program goes through a Prompter, so the exact text,
// buttons, icon and caption can be read (and answered) by tests.
class Prompter {
public:
    virtual ~Prompter() = default;
    // Shows the box modally and returns the button chosen; closing the box or
    // pressing Escape gives its escape button (Cancel or No where there is one).
    virtual QMessageBox::StandardButton ask(const MessageBoxRequest& request) = 0;
};

class MessageBoxPrompter final : public Prompter {
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr);
    QMessageBox::StandardButton ask(const MessageBoxRequest& request) override;

    static QString applicationTitle();

private:
    QPointer<QWidget> parent_;
};

} // namespace trovix
