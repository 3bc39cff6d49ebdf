#include "skins/SkinTable.h"

namespace trovix {

QString SkinEntry::savedValue() const
{
    return isDefault ? QString() : file;
}

const QList<SkinEntry>& skinTable()
{
    static const QList<SkinEntry> table = {
        {QStringLiteral("moren"), QStringLiteral("默认皮肤"), QStringLiteral("\\skinh.she"), true},
        {QStringLiteral("jdqq"), QStringLiteral("经典QQ"), QStringLiteral("\\bin\\腾讯QQ.she"), false},
        {QStringLiteral("jdxp"), QStringLiteral("经典XP"), QStringLiteral("\\bin\\经典xp.she"), false},
        {QStringLiteral("dylg"), QStringLiteral("淡雅流光"), QStringLiteral("\\bin\\淡雅流光.she"), false},
        {QStringLiteral("jpjm"), QStringLiteral("简谱积木"), QStringLiteral("\\bin\\简谱积木.she"), false},
        {QStringLiteral("hskx"), QStringLiteral("黑色酷炫"), QStringLiteral("\\bin\\黑色酷炫.she"), false},
        {QStringLiteral("bsjy"), QStringLiteral("白色简约"), QStringLiteral("\\bin\\白色简约.she"), false},
    };
    return table;
}

int restoredRow(const QString& savedValue)
{
    // 经典QQ, 黑色酷炫, 经典XP, 简谱积木, 淡雅流光, 白色简约.
    static const int comparisonOrder[] = {1, 5, 2, 4, 3, 6};
    for (const int row : comparisonOrder) {
        if (skinTable()[row].savedValue() == savedValue)
            return row;
    }
    return 0;
}

} // namespace trovix
