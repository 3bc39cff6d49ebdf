#pragma once

#include "common/SaveFileChooser.h"
#include "common/UrlOpener.h"

#include <QStringList>

class RecordingUrlOpener final : public trovix::UrlOpener {
public:
    void open(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class ScriptedSaveFileChooser final : public trovix::SaveFileChooser {
public:
    QString chooseSaveFile(const trovix::SaveDialogSettings& settings) override
    {
        shown.append(settings);
        return answer;
    }
    QList<trovix::SaveDialogSettings> shown;
    QString answer; // empty: the user cancels
};
