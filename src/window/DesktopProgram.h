#pragma once

#include "common/Prompter.h"
#include "common/SaveFileChooser.h"
#include "skins/SettingsSkinChoiceStore.h"
#include "skins/SkinLibrary.h"
#include "tracking/DeferredBrowser.h"
#include "window/Form1Controllers.h"
#include "window/WindowOnScreenWatch.h"

#include <QByteArrayView>
#include <QString>
#include <QTranslator>

#include <sys/types.h>

#include <memory>

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
    // The browser engine is loaded from engineModule (see embeddedEngine()) right after the
    // window is first on screen: its libraries take long enough to load to hold the window
    // back. Navigations wait for it meanwhile.
    explicit DesktopProgram(QByteArrayView engineModule);

    // Runs start-up and shows the window; false when start-up failed and was reported.
    bool start();

    Form1Controllers& controllers() { return controllers_; }
    DeferredBrowser& browser() { return browser_; }

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

    void startEngine();

    GraphicsSetting graphics_;
    ApplicationTexts texts_;
    QString folder_;
    SkinLibrary skinLibrary_;
    SettingsSkinChoiceStore skinChoice_;
    QByteArrayView engineModule_;
    DeferredBrowser browser_;
    MessageBoxPrompter prompter_;
    DialogSaveFileChooser saveFileChooser_;
    Form1Controllers controllers_; // goes before the services it was handed
    std::unique_ptr<WindowOnScreenWatch> engineStart_;
};

} // namespace trovix
