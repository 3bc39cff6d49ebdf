#include "RecordingPrompter.h"

QMessageBox::StandardButton RecordingPrompter::ask(const trovix::MessageBoxRequest& request)
{
    asked.append(request);
    if (whileOpen)
        whileOpen();
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}
