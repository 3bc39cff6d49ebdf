#pragma once

#include <QString>
#include <QtGlobal>

class QTextEdit;

// The text of a result box as the rest of the program sees it: its characters with
// CR LF between lines. A QTextEdit keeps paragraphs rather than line ends, so every
// read and write of a box's text goes through these.
namespace trovix {

// Bounds of what captures put in a result box, far beyond any real tracking history (a
// few dozen lines of well under a hundred characters each). They keep each append's
// text layout, which runs on the window's thread, short: a capture cuts longer lines and
// appends no line beyond the whole.
constexpr qsizetype longestResultLine = 1000;
constexpr qsizetype resultBoxLimit = 20000; // characters of the box text, CR LF counting two

QString boxText(const QTextEdit* box);
// boxText(box).size(), without reading the text.
qsizetype boxTextSize(const QTextEdit* box);
// CR LF, and a lone CR or LF, start a new line; reading the box back gives CR LF for each.
void setBoxText(QTextEdit* box, const QString& textWithCrLf);
void appendToBox(QTextEdit* box, const QString& textWithCrLf);

} // namespace trovix
