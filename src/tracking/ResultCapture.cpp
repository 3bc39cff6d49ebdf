#include "tracking/ResultCapture.h"

#include "common/AnsiText.h"
#include "common/ProgramFolder.h"
#include "common/Prompter.h"
#include "tracking/Browser.h"
#include "tracking/HandlerQueue.h"
#include "tracking/ResultBox.h"

#include "tracking/CaptureTimer.h"
#include <QFile>
#include <QTextEdit>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace trovix {

namespace {

const QString startMarker = QStringLiteral("时间地点和跟踪进度");
const QString endMarker = QStringLiteral(" 收藏本站，方便下次查询");
const QString lineEnd = QStringLiteral("\r\n");

MessageBoxRequest nothingFound()
{
    MessageBoxRequest request;
    request.text = QStringList{QStringLiteral("查询未果!"),
                               QStringLiteral("1.可能是系统繁忙，请稍后再试或者将延迟时间设置的大点！"),
                               QStringLiteral("2.可能是单号错误或者无此单号，请认真核对！")}
                       .join(lineEnd);
    request.caption = QStringLiteral("sorry");
    request.buttons = QMessageBox::Ok;
    request.icon = QMessageBox::NoIcon;
    return request;
}

} // namespace

QString cutOutHistory(QStringView pageText)
{
    // Without a start marker the history begins at line 1: line 0 is never taken.
    qsizetype startLine = 0;
    qsizetype historyBegin = pageText.size();
    qsizetype endLine = 0;
    qsizetype historyEnd = 0;

    qsizetype line = 0;
    qsizetype lineBegin = 0;
    for (;;) {
        const qsizetype separator = pageText.indexOf(lineEnd, lineBegin);
        const qsizetype lineEndsAt = separator < 0 ? pageText.size() : separator;
        const qsizetype next = separator < 0 ? pageText.size() : separator + lineEnd.size();
        const QStringView text = pageText.sliced(lineBegin, lineEndsAt - lineBegin);
        if (line == 0 || text == startMarker) {
            historyBegin = next;
            if (line != 0)
                startLine = line;
        }
        if (text == endMarker) {
            endLine = line;
            historyEnd = lineBegin;
        }
        if (separator < 0)
            break;
        lineBegin = next;
        ++line;
    }

    if (endLine <= startLine + 1)
        return {};
    return pageText.sliced(historyBegin, historyEnd - historyBegin).toString();
}

QString fitForResultBox(QStringView history, qsizetype room)
{
    QString fitted;
    qsizetype lineBegin = 0;
    while (lineBegin < history.size()) {
        qsizetype separator = history.indexOf(lineEnd, lineBegin);
        if (separator < 0)
            separator = history.size();
        const QStringView line = history.sliced(lineBegin, separator - lineBegin).left(longestResultLine);
        if (fitted.size() + line.size() + lineEnd.size() > room)
            break;
        fitted += line;
        fitted += lineEnd;
        lineBegin = separator + lineEnd.size();
    }
    return fitted;
}

QString passThroughScratchFile(const QString& text, const QString& path)
{
    const QByteArray bytes = ansi::encode(text);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
        file.flush()) {
        file.close();
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray readBack = file.readAll();
            if (readBack.size() == bytes.size())
                return ansi::decode(readBack);
        }
    }
    return ansi::decode(bytes);
}

ResultCapture::ResultCapture(Browser& browser, PageTextBuffer* richTextBox2, QTextEdit* richTextBox3,
                             CaptureTimer& captureTimer, Prompter& prompter, HandlerQueue& handlers,
                             const ProgramFolder& programFolder, QObject* parent)
    : QObject(parent), browser_(browser), rawPageBox_(richTextBox2), resultBox_(richTextBox3),
      captureTimer_(captureTimer), prompter_(prompter), handlers_(handlers),
      scratchFile_(programFolder.file(programfiles::CaptureScratch))
{
    connect(&captureTimer, &CaptureTimer::expired, this, &ResultCapture::capture);
    connect(&cutOut_, &QFutureWatcherBase::finished, this,
            [this] { showHistory(cutOut_.result(), std::exchange(finishCutOut_, {})); });
}

ResultCapture::~ResultCapture()
{
    // The window closed while a page was being cut out: its scratch file goes all the same.
    if (finishCutOut_) {
        cutOut_.waitForFinished();
        QFile::remove(scratchFile_);
    }
}

void ResultCapture::capture()
{
    if (waitingForTurn_)
        return;
    waitingForTurn_ = true;
    QPointer<ResultCapture> self(this);
    handlers_.run([self](const HandlerQueue::Finish& finish) {
        if (!self) {
            finish();
            return;
        }
        self->waitingForTurn_ = false;
        if (self->captureTimer_.isCountingDown()) {
            finish();
            return;
        }
        self->browser_.readBodyText([self, finish](const QString& pageText) {
            if (self)
                self->capturePage(pageText, finish);
            else
                finish();
        });
    });
}

void ResultCapture::capturePage(const QString& pageText, const HandlerQueue::Finish& finish)
{
    if (!rawPageBox_ || !resultBox_) {
        end(finish);
        return;
    }
    rawPageBox_->setText(pageText);
    finishCutOut_ = finish;
    cutOut_.setFuture(QtConcurrent::run([text = rawPageBox_->text(), scratchFile = scratchFile_] {
        return fitForResultBox(cutOutHistory(passThroughScratchFile(text, scratchFile)), resultBoxLimit);
    }));
}

void ResultCapture::showHistory(const QString& history, const HandlerQueue::Finish& finish)
{
    // The box is modal: the window, and this capture with it, may be gone once it closes.
    const QString scratchFile = scratchFile_;
    QPointer<ResultCapture> self(this);
    if (resultBox_) {
        const QString fitting = fitForResultBox(history, resultBoxLimit - boxTextSize(resultBox_));
        if (!fitting.isEmpty())
            appendToBox(resultBox_, fitting);
        if (boxText(resultBox_) == lineEnd)
            prompter_.ask(nothingFound());
    }
    QFile::remove(scratchFile);
    if (self)
        end(finish);
    else
        finish();
}

void ResultCapture::end(const HandlerQueue::Finish& finish)
{
    // Until the next user action or page load nothing more is wanted of the page.
    browser_.rest();
    Q_EMIT captureFinished();
    finish();
}

} // namespace trovix
