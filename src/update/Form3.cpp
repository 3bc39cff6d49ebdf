#include "update/Form3.h"

#include "common/FontFaces.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace trovix {

Form3::Form3(QWidget* parent)
    : QWidget(parent), Label2(new QLabel(QStringLiteral("程序不需要更新"), this)), Label1(new QLabel(this)),
      Timer1(new QTimer(this))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("更新"));

    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 12, fonts::Bold));
    QPalette red = Label2->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label2->setPalette(red);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 14.25, fonts::Bold | fonts::Underline));

    // Aligned labels get their own size hint from the layout: each sizes itself to its text.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(16);
    layout->addWidget(Label2, 0, Qt::AlignLeft);
    layout->addWidget(Label1, 0, Qt::AlignLeft);
    layout->addStretch();
    resize(360, 130);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
}

} // namespace trovix
