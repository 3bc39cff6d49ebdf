#pragma once

#include <QString>
#include <QWidget>

namespace trovix {

// The hidden box that holds a captured page's whole text on its way through the
// scratch file. It is never shown, so it keeps the text as it is instead of laying
// it out: a text document would spend far longer building one block per line of a
// long page than the rest of the capture takes.
class PageTextBuffer : public QWidget {
    Q_OBJECT
public:
    explicit PageTextBuffer(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text) { text_ = text; }

private:
    QString text_;
};

} // namespace trovix
