#pragma once

#include "common/SaveFileChooser.h"

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Catches what is opened in the user's own browser, for as long as it lives.
class RecordingUrlOpener final : public QObject {
    Q_OBJECT
public:
    RecordingUrlOpener()
    {
        for (const QString& scheme : Schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~RecordingUrlOpener() override
    {
        for (const QString& scheme : Schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QStringList opened;

private Q_SLOTS:
    void open(const QUrl& address) { opened.append(address.toString()); }

private:
    inline static const QStringList Schemes{QStringLiteral("http"), QStringLiteral("https")};
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
