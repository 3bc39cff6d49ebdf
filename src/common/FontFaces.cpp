#include "common/FontFaces.h"

#include <QFontMetrics>
#include <QHash>
#include <QStringList>

namespace trovix::fonts {

namespace {

struct Face {
    QStringList families;
    QFont::Weight weight;
};

Face installedFace(const QString& windowsFace)
{
    const QStringList song{QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")};
    const QStringList sans{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
    const QStringList kai{QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")};
    static const QHash<QString, Face> faces{
        {QStringLiteral("宋体"), {song, QFont::Normal}},
        {QStringLiteral("新宋体"), {song, QFont::Normal}},
        {QStringLiteral("微软雅黑"), {sans, QFont::Normal}},
        {QStringLiteral("华文细黑"), {sans, QFont::Light}},
        {QStringLiteral("幼圆"), {sans, QFont::Light}},
        {QStringLiteral("华文楷体"), {kai, QFont::Normal}},
        {QStringLiteral("华文行楷"), {kai, QFont::Normal}},
    };
    return faces.value(windowsFace, Face{song, QFont::Normal});
}

} // namespace

QFont windowsFont(const QString& windowsFace, double pointSize, int style)
{
    const Face face = installedFace(windowsFace);
    QFont font;
    font.setFamilies(face.families);
    font.setPointSizeF(pointSize);
    font.setWeight((style & Bold) ? QFont::Bold : face.weight);
    font.setItalic(style & Italic);
    font.setUnderline(style & Underline);
    return font;
}

QFont defaultFont()
{
    return windowsFont(QStringLiteral("宋体"), 9);
}

QFont fittingWidth(const QFont& font, const QString& text, int width)
{
    const auto textWidth = [&text](const QFont& candidate) {
        return QFontMetrics(candidate).boundingRect(QRect(), Qt::AlignLeft, text).width();
    };
    QFont fitting = font;
    while (textWidth(fitting) > width && fitting.pointSizeF() > 5)
        fitting.setPointSizeF(fitting.pointSizeF() - 0.5);
    return fitting;
}

} // namespace trovix::fonts
