#pragma once

#include "tracking/HandlerQueue.h"
#include "tracking/PageTextBuffer.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>

class QTextEdit;

namespace trovix {

class Browser;
class CaptureTimer;
class ProgramFolder;
class Prompter;

// The history lines of a page text: lines are separated by CR LF; the lines after the
// last line equal to the start marker (line 0 when there is none) up to the last line
// equal to the end marker, exclusive, each followed by CR LF. Empty when the end marker
// is missing or does not come after the start.
QString cutOutHistory(QStringView pageText);

// The lines of `history` (each followed by CR LF), each cut to longestResultLine
// characters, for as many whole lines as fit in `room` characters counted as the box
// text reads (CR LF is two).
QString fitForResultBox(QStringView history, qsizetype room);

// Passes text through the scratch file at `path`, encoded GB18030 and read back. When
// the file cannot be written or read back whole, the same round trip happens in memory.
// The file is left for the caller to delete.
QString passThroughScratchFile(const QString& text, const QString& path);

// Reads the page when the capture timer expires and appends the tracking history to
// the result box; says "sorry" when the box then holds one empty line.
//
// A capture takes its turn in the window's handler queue and holds it until it has
// appended and its "sorry" box, if any, is closed; so captures never overlap, and a
// Query or page load that comes meanwhile waits for it. Expiries while a capture waits
// for its turn are one request: it runs once, unless the timer has been started again
// by then, whose own expiry then does that capture. The timer is single-shot, so it is
// off from its expiry on; a start during a capture (a later page load, Query) is a new
// request and is left running.
//
// The scratch-file round trip and the cut-out of a long page take far longer than the
// window may wait, so they run on a worker thread; the capture keeps its turn meanwhile
// and appends, asks and deletes the scratch file on the window's thread.
class ResultCapture : public QObject {
    Q_OBJECT
public:
    ResultCapture(Browser& browser, PageTextBuffer* richTextBox2, QTextEdit* richTextBox3,
                  CaptureTimer& captureTimer, Prompter& prompter, HandlerQueue& handlers,
                  const ProgramFolder& programFolder, QObject* parent = nullptr);

    ~ResultCapture() override;

Q_SIGNALS:
    void captureFinished();

private:
    void capture();
    void capturePage(const QString& pageText, const HandlerQueue::Finish& finish);
    void showHistory(const QString& history, const HandlerQueue::Finish& finish);
    void end(const HandlerQueue::Finish& finish);

    Browser& browser_;
    QPointer<PageTextBuffer> rawPageBox_;
    QPointer<QTextEdit> resultBox_;
    CaptureTimer& captureTimer_;
    Prompter& prompter_;
    HandlerQueue& handlers_;
    QString scratchFile_;
    bool waitingForTurn_ = false;
    QFutureWatcher<QString> cutOut_;
    HandlerQueue::Finish finishCutOut_; // set while a page is cut out
};

} // namespace trovix
