#include "tracking/ResultBox.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace trovix {

namespace {

// QTextDocument's own characters for a break between lines or around a frame.
bool isLineBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == QChar(0xfdd0) ||
           c == QChar(0xfdd1);
}

} // namespace

QString boxText(const QTextEdit* box)
{
    // The raw text, unlike toPlainText(), keeps no-break spaces as they are.
    const QString raw = box->document()->toRawText();
    QString text;
    text.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        if (isLineBreak(c))
            text += QLatin1String("\r\n");
        else
            text += c;
    }
    return text;
}

qsizetype boxTextSize(const QTextEdit* box)
{
    // Every block but the last ends in a line break; the document counts one character
    // past the end.
    const QTextDocument* document = box->document();
    return document->characterCount() - 1 + document->blockCount() - 1;
}

void setBoxText(QTextEdit* box, const QString& textWithCrLf)
{
    box->setPlainText(textWithCrLf);
}

void appendToBox(QTextEdit* box, const QString& textWithCrLf)
{
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(textWithCrLf);
}

} // namespace trovix
