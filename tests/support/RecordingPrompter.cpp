#include "RecordingPrompter.h"

#include <QtTest>

char* trovix::toString(const MessageBoxRequest& request)
{
    return QTest::toString(QStringLiteral("{\"%1\", caption \"%2\", buttons 0x%3, icon %4}")
                               .arg(request.text, request.caption)
                               .arg(int(request.buttons), 0, 16)
                               .arg(int(request.icon)));
}

QMessageBox::StandardButton RecordingPrompter::ask(const trovix::MessageBoxRequest& request)
{
    asked.append(request);
    if (whileOpen)
        whileOpen();
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}
