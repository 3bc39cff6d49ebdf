#pragma once

#include "common/Prompter.h"

#include <QList>

#include <functional>

namespace trovix {

// A message box as QCOMPARE prints it.
char* toString(const MessageBoxRequest& request);

} // namespace trovix

// Records every message box asked for and answers from a queue (then with a default).
// An optional hook runs while the "box" is open, as a modal box's event loop would.
class RecordingPrompter final : public trovix::Prompter {
public:
    QMessageBox::StandardButton ask(const trovix::MessageBoxRequest& request) override;

    QList<trovix::MessageBoxRequest> asked;
    QList<QMessageBox::StandardButton> answers;
    QMessageBox::StandardButton defaultAnswer = QMessageBox::Ok;
    std::function<void()> whileOpen;
};
