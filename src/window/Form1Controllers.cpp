#include "window/Form1Controllers.h"

#include "common/Configuration.h"
#include "common/Prompter.h"
#include "skins/SkinMenu.h"
#include "tracking/Browser.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/CourierChoice.h"
#include "tracking/CourierSiteCommand.h"
#include "tracking/TrackingSession.h"
#include "update/UpdateStarter.h"
#include "update/VersionRecord.h"
#include "waybills/SavedWaybillList.h"
#include "waybills/WaybillStore.h"
#include "window/AboutWindow.h"
#include "window/Form1.h"
#include "window/Module1.h"
#include "window/ResultCommands.h"

#include <QAction>
#include <QTimer>

#include <initializer_list>

namespace trovix {

Form1Controllers::Form1Controllers(const Form1Services& services, QObject* parent)
    : QObject(parent), services_(services), form_(std::make_unique<Form1>(services.browserView)),
      store_(std::make_unique<WaybillStore>())
{
    Form1& f = *form_;
    courierChoice_ = new CourierChoice(f.courierGroup, this);
    tracking_ = new TrackingSession(TrackingWidgets{courierChoice_, f.Text1, f.Text2, f.Text3, f.Label4,
                                                    f.Label6, f.Label14, f.Image1, f.Command5, f.RichTextBox2,
                                                    f.RichTextBox3, f.Timer1},
                                    services_.browser, services_.prompter, services_.programFolder, this);
    siteCommand_ = new CourierSiteCommand(f.Command7, *courierChoice_, this);
    savedList_ = new SavedWaybillList(SavedWaybillWidgets{f.DataGrid1, f.Label4, f.Label6, f.Command6,
                                                          f.Command1, f.Command8, courierChoice_},
                                      *store_, services_.prompter, this);
    skinMenu_ = new SkinMenu(f.skinEntries(), services_.skinLibrary, services_.skinChoice,
                             services_.programFolder, this);
    resultCommands_ = new ResultCommands(
        ResultCommandWidgets{f.Text1, f.RichTextBox3, f.Command2, f.Command3, f.Command4, f.Label13},
        services_.saveFileChooser, services_.prompter, services_.programFolder, this);
    about_ = new AboutWindow(this);
    updateStarter_ =
        std::make_unique<UpdateStarter>(services_.programFolder, services_.prompter, services_.endProgram);
    clock_ = new Clock(f.Label8, f.Label12, f.Timer2, services_.now, this);

    connect(f.gy, &QAction::triggered, about_, &AboutWindow::show);
    connect(f.jcgx, &QAction::triggered, this, [this] { updateStarter_->start(); });
    f.setCloseQuestion([this] { return confirmClose(); });
}

Form1Controllers::~Form1Controllers()
{
    Module1::remove();
    releaseControllers();
}

bool Form1Controllers::load()
{
    // Clearing an option is no choice: nothing is loaded for it.
    courierChoice_->clearRows(RowsClearedAtStartUp);
    recordInstalledVersion(services_.programFolder);
    services_.browser.navigate(config::homePage());
    skinMenu_->restore();
    form_->adjustSize();
    Module1::install(form_.get());
    if (!store_->open(services_.programFolder.file(programfiles::Database))) {
        MessageBoxRequest report;
        report.text = store_->lastError();
        report.icon = QMessageBox::Critical;
        services_.prompter.ask(report);
        return false;
    }
    savedList_->bindGrid();
    clock_->showTimeAndDate();
    return true;
}

bool Form1Controllers::confirmClose()
{
    MessageBoxRequest question;
    question.text =
        QStringLiteral("欢迎访问") + config::homeHost() + QStringLiteral("！！！确要退出吗？？？");
    question.caption = QStringLiteral("Trovix");
    question.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    if (services_.prompter.ask(question) != QMessageBox::Ok)
        return false;
    Module1::remove();
    endWork();
    return true;
}

void Form1Controllers::endWork()
{
    releaseControllers();
    // Still inside the window's own close handling: it goes once that has returned.
    form_.release()->deleteLater();
}

void Form1Controllers::releaseControllers()
{
    if (!form_)
        return;
    tracking_->stop();
    form_->Timer2->stop();
    // The controllers hold the window's controls; they go first, and nothing they
    // started (a lookup or page read the dying browser view answers) reaches the
    // controls afterwards.
    for (QObject* controller : std::initializer_list<QObject*>{
             tracking_, siteCommand_, savedList_, courierChoice_, skinMenu_, resultCommands_, clock_})
        delete controller;
    tracking_ = nullptr;
    siteCommand_ = nullptr;
    savedList_ = nullptr;
    courierChoice_ = nullptr;
    skinMenu_ = nullptr;
    resultCommands_ = nullptr;
    clock_ = nullptr;
}

} // namespace trovix
