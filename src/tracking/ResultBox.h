#pragma once

#include <QString>

class QTextEdit;

// The text of a result box as the rest of the program sees it: its characters with
// CR LF between lines. A QTextEdit keeps paragraphs rather than line ends, so every
// read and write of a box's text goes through these.
namespace trovix {

QString boxText(const QTextEdit* box);
// CR LF, and a lone CR or LF, start a new line; reading the box back gives CR LF for each.
void setBoxText(QTextEdit* box, const QString& textWithCrLf);
void appendToBox(QTextEdit* box, const QString& textWithCrLf);

} // namespace trovix
