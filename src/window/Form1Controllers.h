#pragma once

#include "common/ProgramFolder.h"
#include "window/Clock.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace trovix {

class AboutWindow;
class Browser;
class CourierChoice;
class CourierSiteCommand;
class Form1;
class Prompter;
class ResultCommands;
class SaveFileChooser;
class SavedWaybillList;
class SkinChoiceStore;
class SkinLibraryInterface;
class SkinMenu;
class TrackingSession;
class UpdateStarter;
class WaybillStore;

// What the main window needs from the platform; tests hand in stand-ins.
struct Form1Services {
    Browser& browser;
    QWidget* browserView; // placed as WebBrowser1; may be null
    Prompter& prompter;
    SaveFileChooser& saveFileChooser;
    SkinLibraryInterface& skinLibrary;
    SkinChoiceStore& skinChoice;
    Clock::TimeSource now;
    ProgramFolder programFolder;
    std::function<void()> endProgram; // a failure that ends Trovix
};

// Builds Form1, hands each subsystem the controls it works on, and runs start-up and
// shutdown in their fixed order.
class Form1Controllers : public QObject {
    Q_OBJECT
public:
    explicit Form1Controllers(const Form1Services& services, QObject* parent = nullptr);
    ~Form1Controllers() override;

    // The window's load: false when start-up failed, was reported, and Trovix must end.
    bool load();

    // The exit question; true lets the window close. After OK the window's work ends at
    // once (timers, capture, page handling) and the window with its controls and the
    // browser view is released from the event loop, so nothing of it lives on behind an
    // About window that keeps the program running.
    bool confirmClose();

    // Null once the window has been closed.
    Form1* form() const { return form_.get(); }
    WaybillStore& store() const { return *store_; }
    AboutWindow& about() const { return *about_; }

private:
    void endWork();
    void releaseControllers();

    Form1Services services_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<WaybillStore> store_;
    CourierChoice* courierChoice_;
    TrackingSession* tracking_;
    CourierSiteCommand* siteCommand_;
    SavedWaybillList* savedList_;
    SkinMenu* skinMenu_;
    ResultCommands* resultCommands_;
    AboutWindow* about_;
    std::unique_ptr<UpdateStarter> updateStarter_;
    Clock* clock_;
};

} // namespace trovix
