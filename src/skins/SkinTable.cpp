#include "skins/SkinTable.h"

#include <QStringList>

namespace trovix {

const QList<SkinEntry>& skinTable()
{
    static const QList<SkinEntry> table = {
        {QStringLiteral("moren"), QStringLiteral("默认皮肤"), QStringLiteral("\\skinh.she"), QString()},
        {QStringLiteral("jdqq"), QStringLiteral("经典QQ"), QStringLiteral("\\bin\\腾讯QQ.she"),
         QStringLiteral("\\bin\\腾讯QQ.she")},
        {QStringLiteral("jdxp"), QStringLiteral("经典XP"), QStringLiteral("\\bin\\经典xp.she"),
         QStringLiteral("\\bin\\经典xp.she")},
        {QStringLiteral("dylg"), QStringLiteral("淡雅流光"), QStringLiteral("\\bin\\淡雅流光.she"),
         QStringLiteral("\\bin\\淡雅流光.she")},
        {QStringLiteral("jpjm"), QStringLiteral("简谱积木"), QStringLiteral("\\bin\\简谱积木.she"),
         QStringLiteral("\\bin\\简谱积木.she")},
        {QStringLiteral("hskx"), QStringLiteral("黑色酷炫"), QStringLiteral("\\bin\\黑色酷炫.she"),
         QStringLiteral("\\bin\\黑色酷炫.she")},
        {QStringLiteral("bsjy"), QStringLiteral("白色简约"), QStringLiteral("\\bin\\白色简约.she"),
         QStringLiteral("\\bin\\白色简约.she")},
    };
    return table;
}

int restoredRow(const QString& savedValue)
{
    static const QStringList comparisonOrder = {
        QStringLiteral("\\bin\\腾讯QQ.she"),   QStringLiteral("\\bin\\黑色酷炫.she"),
        QStringLiteral("\\bin\\经典xp.she"),   QStringLiteral("\\bin\\简谱积木.she"),
        QStringLiteral("\\bin\\淡雅流光.she"), QStringLiteral("\\bin\\白色简约.she"),
    };
    for (const QString& candidate : comparisonOrder) {
        if (savedValue != candidate)
            continue;
        const QList<SkinEntry>& table = skinTable();
        for (int row = 1; row < table.size(); ++row) {
            if (table[row].savedValue == candidate)
                return row;
        }
    }
    return 0;
}

} // namespace trovix
