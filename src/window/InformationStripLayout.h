#pragma once

#include <QFont>
#include <QHBoxLayout>

class QLabel;

namespace trovix {

// The one line of the 信息 strip: its labels side by side at their natural sizes, the
// fitted one (the waybill number, of any length) drawn smaller whenever the line
// would otherwise pass the frame, so no text is cut or pushed out of it.
class InformationStripLayout final : public QHBoxLayout {
public:
    InformationStripLayout(QWidget* frame, QLabel* fitted);

    void setGeometry(const QRect& rect) override;

private:
    QLabel* fitted_;
    QFont designed_;
};

} // namespace trovix
