#pragma once

#include "common/Prompter.h"
#include "common/SaveFileChooser.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinLibrary.h"
#include "tracking/DeferredBrowser.h"
#include "window/Form1Controllers.h"
#include "window/WindowOnScreenWatch.h"

#include <QString>
#include <QStringList>
#include <QTranslator>

#include <sys/types.h>

#include <memory>

namespace trovix {

// Whether the browser's page processes must run without their sandbox for this user:
// only for root, which Chromium cannot sandbox.
bool chromiumSandboxMustBeOff(uid_t effectiveUser);

// Whether the browser may start as far as its sandbox goes. Trovix never switches the
// sandbox off by itself: started by root it runs only when the caller did so on purpose,
// by "--no-sandbox" among `arguments` or QTWEBENGINE_DISABLE_SANDBOX=1. "--no-sandbox" is also put in the
// environment, so a Trovix that update starts again keeps the choice.
bool sandboxChoiceAllowsStart(const QStringList& arguments);

// Why root cannot start Trovix as it was started, and how to go on.
MessageBoxRequest sandboxRefusal();

// What must happen before the QApplication exists.
void prepareDesktopApplication();

// What the user is told when no browser engine can be run, with the reason.
MessageBoxRequest engineUnavailableBox(const QString& reason);

// Trovix's main(): the application, the sandbox check, then the program.
int runDesktopProgram(int argc, char* argv[]);

// Trovix as it runs on the desktop: the real browser, message boxes, dialogs, skins and
// settings under the main window. Needs a QApplication.
class DesktopProgram {
public:
    // The browser engine starts right after the window is first on screen, so that its
    // processes do not hold the window back. Navigations wait for it meanwhile.
    DesktopProgram();

    // Runs start-up and shows the window; false when start-up failed and was reported.
    bool start();

    Form1Controllers& controllers() { return controllers_; }
    DeferredBrowser& browser() { return browser_; }

    // The application's names and Qt's own Chinese texts, set before any window exists.
    struct ApplicationTexts {
        ApplicationTexts();
        QTranslator qtTranslator;
    };

private:
    // Undoes what prepareDesktopApplication() set only for the application's start.
    struct GraphicsSetting {
        GraphicsSetting();
    };

    void startEngine();

    GraphicsSetting graphics_;
    ApplicationTexts texts_;
    ProgramFolder folder_;
    SkinLibrary skinLibrary_;
    SettingsSkinChoiceStore skinChoice_;
    DeferredBrowser browser_;
    MessageBoxPrompter prompter_;
    DialogSaveFileChooser saveFileChooser_;
    Form1Controllers controllers_; // goes before the services it was handed
    std::unique_ptr<WindowOnScreenWatch> engineStart_;
};

} // namespace trovix
