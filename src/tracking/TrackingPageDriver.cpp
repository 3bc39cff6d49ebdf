#include "tracking/TrackingPageDriver.h"

#include "common/Prompter.h"
#include "common/SystemColours.h"
#include "tracking/CaptureTimer.h"
#include "tracking/CourierCatalogue.h"
#include "tracking/CourierChoice.h"
#include "tracking/HandlerQueue.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>

#include <utility>

namespace trovix {

namespace {

const QString userNameReference = QStringLiteral("objUserName");
const QString passwordReference = QStringLiteral("objpassword");
const QString loginButtonReference = QStringLiteral("objloginbutton");

// Blanks only: a tab or other white space is part of what the user typed.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

void setCodeBoxLocked(QLineEdit* text2, bool locked)
{
    QPalette palette = text2->palette();
    palette.setColor(QPalette::Base,
                     colours::systemColour(locked ? colours::ApplicationWorkspace : colours::InactiveBorder));
    text2->setPalette(palette);
    text2->setReadOnly(locked);
    text2->setProperty("locked", locked);
    // The property alone does not restyle a widget already polished.
    text2->style()->unpolish(text2);
    text2->style()->polish(text2);
}

TrackingPageDriver::TrackingPageDriver(const TrackingWidgets& widgets, CaptureTimer& captureTimer,
                                       Browser& browser, Prompter& prompter, HandlerQueue& handlers,
                                       QObject* parent)
    : QObject(parent), widgets_(widgets), captureTimer_(captureTimer), browser_(browser), prompter_(prompter),
      handlers_(handlers)
{
    // Waybill numbers and courier names are data, never markup.
    widgets_.label4->setTextFormat(Qt::PlainText);
    widgets_.label6->setTextFormat(Qt::PlainText);

    connect(widgets_.courierChoice, &CourierChoice::chosen, this, &TrackingPageDriver::selectCourier);
    connect(&browser_, &Browser::documentCompleted, this, &TrackingPageDriver::onDocumentCompleted);
    connect(&browser_, &Browser::pageLoaded, this, &TrackingPageDriver::onPageLoaded);
    connect(widgets_.command5, &QPushButton::clicked, this, &TrackingPageDriver::query);
    connect(widgets_.text1, &QLineEdit::textChanged, this, &TrackingPageDriver::onWaybillInput);
}

void TrackingPageDriver::selectCourier(const Courier& courier)
{
    const bool telephone = courier.inputMode == InputMode::TelephoneNumber;
    setCodeBoxLocked(widgets_.text2, !telephone);
    widgets_.label14->setVisible(true);
    if (telephone) {
        widgets_.label14->setText(QStringLiteral("输入电话号码"));
        prompter_.ask(MessageBoxRequest{QStringLiteral("请输入电话号码"), QString(), QMessageBox::Ok,
                                        QMessageBox::NoIcon});
    } else {
        widgets_.label14->setText(QStringLiteral("无需输入"));
    }
    widgets_.image1->setVisible(false);
    widgets_.label6->setText(widgets_.courierChoice->caption(courier));
    awaitPage();
    waitingSubmission_.reset();
    browser_.navigate(trackingAddress(courier));
}

void TrackingPageDriver::onDocumentCompleted(Browser::DocumentId document, const QString& address)
{
    widgets_.command5->setEnabled(true);
    // Enabled now rather than when the lookup answers: a countdown that runs out while
    // the lookup is under way is not started anew by it.
    captureTimer_.enable();
    const QString codeFieldId = codeFieldIdOfPage(address);
    QPointer<TrackingPageDriver> self(this);
    handlers_.run([self, document, codeFieldId](const HandlerQueue::Finish& finish) {
        if (!self) {
            finish();
            return;
        }
        self->browser_.bindElements(document,
                                    {{userNameReference, waybillFieldId()},
                                     {passwordReference, codeFieldId},
                                     {loginButtonReference, submitButtonId()}},
                                    [self, finish](const QList<bool>& found) {
                                        if (self) {
                                            self->hasUserName_ = found.value(0);
                                            self->hasPassword_ = found.value(1);
                                            self->hasLoginButton_ = found.value(2);
                                        }
                                        finish();
                                    });
    });
}

void TrackingPageDriver::awaitPage()
{
    pageDue_ = true;
    ++navigations_;
}

// Queued after the lookup of the page's top document, which came just before.
void TrackingPageDriver::onPageLoaded()
{
    QPointer<TrackingPageDriver> self(this);
    handlers_.run([self, navigation = navigations_](const HandlerQueue::Finish& finish) {
        // A Query that takes its turn before this one still waits; one after it submits.
        if (self && navigation == self->navigations_)
            self->pageDue_ = false;
        if (self && !self->pageDue_ && self->waitingSubmission_) {
            self->submit(*std::exchange(self->waitingSubmission_, std::nullopt));
            // The page gets the whole read delay after its submission, as on a Query.
            self->captureTimer_.restart();
        }
        finish();
    });
}

void TrackingPageDriver::query()
{
    captureTimer_.restart();
    if (browser_.revive())
        awaitPage();
    // What the window shows at the click is what is submitted, whenever its turn comes.
    const Submission submission{widgets_.label4->text(), widgets_.text2->text()};
    QPointer<TrackingPageDriver> self(this);
    handlers_.run([self, submission](const HandlerQueue::Finish& finish) {
        if (self) {
            self->widgets_.richTextBox3->clear();
            if (self->pageDue_)
                self->waitingSubmission_ = submission;
            else
                self->submit(submission);
        }
        finish();
    });
}

void TrackingPageDriver::submit(const Submission& submission)
{
    if (!hasUserName_ || !hasLoginButton_)
        return;
    browser_.setValue(userNameReference, submission.waybill);
    // A page without the code field still gets the number and the click.
    if (hasPassword_)
        browser_.setValue(passwordReference, submission.code);
    browser_.click(loginButtonReference);
}

void TrackingPageDriver::onWaybillInput()
{
    QLineEdit* text1 = widgets_.text1;
    const QString text = text1->text();
    const QString trimmed = trimBlanks(text);
    if (trimmed != text) {
        const int leading = int(text.indexOf(trimmed));
        const int cursor = qBound(0, text1->cursorPosition() - leading, int(trimmed.size()));
        text1->setText(trimmed);
        text1->setCursorPosition(cursor);
    }
    widgets_.label4->setText(text1->text());
}

} // namespace trovix
