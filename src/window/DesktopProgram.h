#pragma once

#include "common/Prompter.h"
#include "common/SaveFileChooser.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinLibrary.h"
#include "tracking/WebEngineBrowser.h"
#include "window/Form1Controllers.h"

#include <QString>
#include <QTranslator>

#include <sys/types.h>

namespace trovix {

// Whether the browser's page processes must run without their sandbox for this user:
// only for root, which Chromium cannot sandbox.
bool chromiumSandboxMustBeOff(uid_t effectiveUser);

// What must happen before the QApplication exists.
void prepareDesktopApplication();

// Trovix as it runs on the desktop: the real browser, message boxes, dialogs, skins and
// settings under the main window. Needs a QApplication.
class DesktopProgram {
public:
    DesktopProgram();

    // Runs start-up and shows the window; false when start-up failed and was reported.
    bool start();

    Form1Controllers& controllers() { return controllers_; }
    WebEngineBrowser& browser() { return browser_; }

private:
    // The application's names and Qt's own Chinese texts, set before any window exists.
    struct ApplicationTexts {
        ApplicationTexts();
        QTranslator qtTranslator;
    };

    // Undoes what prepareDesktopApplication() set only for the application's start.
    struct GraphicsSetting {
        GraphicsSetting();
    };

    GraphicsSetting graphics_;
    ApplicationTexts texts_;
    QString folder_;
    SkinLibrary skinLibrary_;
    SettingsSkinChoiceStore skinChoice_;
    WebEngineBrowser browser_;
    MessageBoxPrompter prompter_;
    DialogSaveFileChooser saveFileChooser_;
    Form1Controllers controllers_; // last: goes first, before the services it was handed
};

} // namespace trovix
