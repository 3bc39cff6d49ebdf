#include "window/Form2.h"

#include "common/Configuration.h"
#include "common/FontFaces.h"
#include "common/Twips.h"
#include "window/ClickableLabel.h"
#include "window/TextColour.h"

#include <QLabel>

namespace trovix {

namespace {

QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The installed faces run taller and wider than the ones the window was designed
// with: a label grows from its designed place rather than clip its text, and one
// that would pass the window's edge is drawn smaller until it fits.
void fitWithoutClipping(QLabel* label, int windowWidth)
{
    QRect geometry = label->geometry();
    const int room = windowWidth - geometry.left() - 4;
    if (label->wordWrap()) {
        geometry.setHeight(std::max(geometry.height(), label->heightForWidth(geometry.width())));
    } else {
        label->setFont(fonts::fittingWidth(label->font(), label->text(), room));
        const QSize hint = label->sizeHint();
        geometry.setWidth(std::min(std::max(geometry.width(), hint.width()), room));
        geometry.setHeight(std::max(geometry.height(), hint.height()));
    }
    label->setGeometry(geometry);
}

} // namespace

QSize Form2::clientSize()
{
    return {twipsToPixels(5640), twipsToPixels(3435)};
}

Form2::Form2(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowIcon(QIcon(QStringLiteral(":/trovix/trovix.png")));
    setFixedSize(clientSize());

    struct Design {
        const char* name;
        QString caption;
        const char* face;
        double points;
        int style;
        bool red;
        QRect geometry;
    };
    const QString introduction =
        QStringLiteral("支持国内外常用快递信息查询，免去访问快递官方网站查询的麻烦。目前支持中通、天天、圆通"
                       "、汇通、顺丰、EMS、申通等15家快递、物流公司单号查询。\n");
    const Design labels[] = {
        {"Label5", QStringLiteral("Trovix"), "华文细黑", 15.75, fonts::Underline, true,
         twipsRect(1440, 120, 2655, 330)},
        {"Label1", QStringLiteral("版本号："), "微软雅黑", 12, fonts::Regular, false,
         twipsRect(120, 600, 960, 315)},
        {"Label2", QStringLiteral("V 1.2"), "宋体", 12, fonts::Regular, true, twipsRect(1440, 600, 600, 240)},
        {"Label3", QStringLiteral("软件介绍："), "微软雅黑", 12, fonts::Regular, false,
         twipsRect(120, 1080, 1200, 315)},
        {"Label4", introduction, "微软雅黑", 10.5, fonts::Regular, false, twipsRect(1440, 1080, 4095, 1215)},
        {"Label6", QStringLiteral("作者："), "微软雅黑", 12, fonts::Regular, false,
         twipsRect(120, 2400, 720, 315)},
        {"Label7", config::authorName(), "新宋体", 15.75, fonts::Regular, false,
         twipsRect(1440, 2400, 1320, 315)},
        {"Label8", QStringLiteral("联系方式："), "微软雅黑", 12, fonts::Regular, false,
         twipsRect(120, 2880, 1200, 315)},
        {"Label9", config::authorContact(), "微软雅黑", 12, fonts::Regular, true,
         twipsRect(1440, 2880, 1665, 315)},
    };
    for (const Design& design : labels) {
        auto* label = new QLabel(design.caption, this);
        label->setObjectName(QLatin1String(design.name));
        label->setFont(fonts::windowsFont(QString::fromUtf8(design.face), design.points, design.style));
        label->setGeometry(design.geometry);
        label->setWordWrap(design.geometry.height() > twipsToPixels(400));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (design.red)
            setTextColour(label, Red);
        fitWithoutClipping(label, width());
    }

    Label10 = new ClickableLabel(config::homePage(), this);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setFont(fonts::windowsFont(QStringLiteral("微软雅黑"), 12, fonts::Underline));
    Label10->setGeometry(twipsRect(3120, 2880, 2430, 315));
    fitWithoutClipping(Label10, width());
    Label10->setAccessibleName(QStringLiteral("作者主页"));
}

} // namespace trovix
