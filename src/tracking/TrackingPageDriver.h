#pragma once

#include "tracking/Browser.h"
#include "tracking/TrackingWidgets.h"

#include <QObject>
#include <QString>

#include <optional>

class QLineEdit;

namespace trovix {

class CaptureTimer;
class HandlerQueue;
class Prompter;
struct Courier;

// Locks the code box (Text2) for couriers that need no code and unlocks it for the
// telephone number; a skin's style sheet tells the states apart by QLineEdit#Text2[locked="true"].
void setCodeBoxLocked(QLineEdit* text2, bool locked);

// Drives the aggregator's tracking page: courier selection sets up the code box and
// loads the courier's page, every completed document rebinds the page's waybill field,
// code field and submit button, and Query fills them in and submits the page's form.
// The page-loaded handling and Query take their turns in the window's handler queue,
// with the capture: Query empties the result box only after a capture that is reading
// the page has appended, and submits only once the latest lookup has answered. A Query
// while the chosen courier's page is still on its way (or being brought back) submits
// into that page once it has loaded, never into the page before it; a later courier
// choice drops it.
class TrackingPageDriver : public QObject {
    Q_OBJECT
public:
    TrackingPageDriver(const TrackingWidgets& widgets, CaptureTimer& captureTimer, Browser& browser,
                       Prompter& prompter, HandlerQueue& handlers, QObject* parent = nullptr);

private:
    struct Submission {
        QString waybill;
        QString code;
    };

    void selectCourier(const Courier& courier);
    void onDocumentCompleted(Browser::DocumentId document, const QString& address);
    void awaitPage();
    void onPageLoaded();
    void query();
    void submit(const Submission& submission);
    void onWaybillInput();

    TrackingWidgets widgets_;
    CaptureTimer& captureTimer_;
    Browser& browser_;
    Prompter& prompter_;
    HandlerQueue& handlers_;
    // Whether objUserName, objpassword and objloginbutton hold an element.
    bool hasUserName_ = false;
    bool hasPassword_ = false;
    bool hasLoginButton_ = false;
    bool pageDue_ = false;
    quint64 navigations_ = 0;
    std::optional<Submission> waitingSubmission_;
};

} // namespace trovix
