#pragma once

#include "tracking/PageTextBuffer.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>

class QTextEdit;

namespace trovix {

class Browser;
class CaptureTimer;
class HandlerQueue;
class Prompter;

// The history lines of a page text: lines are separated by CR LF; the lines after the
// last line equal to the start marker (line 0 when there is none) up to the last line
// equal to the end marker, exclusive, each followed by CR LF. Empty when the end marker
// is missing or does not come after the start.
QString cutOutHistory(QStringView pageText);

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
class ResultCapture : public QObject {
    Q_OBJECT
public:
    ResultCapture(Browser& browser, PageTextBuffer* richTextBox2, QTextEdit* richTextBox3,
                  CaptureTimer& captureTimer, Prompter& prompter, HandlerQueue& handlers,
                  QString programFolder, QObject* parent = nullptr);

    void capture();

Q_SIGNALS:
    void captureFinished();

private:
    void capturePage(const QString& pageText);

    Browser& browser_;
    QPointer<PageTextBuffer> rawPageBox_;
    QPointer<QTextEdit> resultBox_;
    CaptureTimer& captureTimer_;
    Prompter& prompter_;
    HandlerQueue& handlers_;
    QString scratchFile_;
    bool waitingForTurn_ = false;
};

} // namespace trovix
