#include "TrackingHistories.h"

#include <QPair>

using namespace Qt::StringLiterals;

namespace {

const QList<QPair<QString, QList<HistoryEntry>>>& histories()
{
    static const QList<QPair<QString, QList<HistoryEntry>>> table{
        {u"EA123456785CN"_s,
         {
             {u"2026-03-07 09:15:02"_s, u"上海市浦东新区"_s, u"快件已揽收"_s},
             {u"2026-03-07 18:40:11"_s, u"上海邮区中心局"_s, u"快件已发往 北京"_s},
             {u"2026-03-08 06:02:47"_s, u"北京邮区中心局"_s, u"快件已到达"_s},
             {u"2026-03-08 10:31:09"_s, u"北京市朝阳区望京营业部"_s, u"投递员正在派件，电话：13800138000"_s},
             {u"2026-03-08 15:20:55"_s, u"北京市朝阳区望京营业部"_s, u"已签收，签收人：本人"_s},
         }},
        {u"SF1234567890123"_s,
         {
             {u"2026-02-14 20:05:13"_s, u"深圳市南山区科技园营业点"_s, u"顺丰速运 已收取快件"_s},
             {u"2026-02-14 23:48:30"_s, u"深圳华南转运中心"_s,
              u"快件在【深圳华南转运中心】已装车，准备发往【广州】"_s},
             {u"2026-02-15 04:12:06"_s, u"广州市白云区集散中心"_s, u"快件到达【广州白云集散中心】"_s},
             {u"2026-02-15 09:37:41"_s, u"广州市天河区"_s, u"派送成功（代收点：天河北路菜鸟驿站）"_s},
         }},
        {u"768012345678"_s,
         {
             {u"2026-01-02 08:00:00"_s, u"杭州市余杭区"_s, u"[杭州市]余杭区良渚网点 的 王师傅 已揽收"_s},
             {u"2026-01-02 21:16:52"_s, u"杭州转运中心"_s, u"[杭州市]快件离开 杭州转运中心 已发往 成都"_s},
             {u"2026-01-04 02:33:19"_s, u"成都转运中心"_s, u"[成都市]快件到达 成都转运中心"_s},
             {u"2026-01-04 05:10:44"_s, u"成都转运中心"_s,
              u"[成都市]快件离开 成都转运中心 已发往 成都武侯区"_s},
             {u"2026-01-04 09:58:03"_s, u"成都市武侯区"_s, u"[成都市]武侯区玉林网点 的 李师傅 正在派件"_s},
             {u"2026-01-04 14:26:37"_s, u"成都市武侯区"_s,
              u"[成都市]快件已签收 签收人：门卫 感谢使用中通快递"_s},
         }},
        {u"6100000001"_s,
         {
             {u"2025-12-30 17:45:00"_s, u"武汉市洪山区"_s, u"已揽收，等待发往转运中心"_s},
         }},
    };
    return table;
}

} // namespace

QStringList knownTrackingNumbers()
{
    QStringList numbers;
    for (const auto& entry : histories())
        numbers << entry.first;
    return numbers;
}

QList<HistoryEntry> trackingHistory(const QString& number)
{
    for (const auto& entry : histories()) {
        if (entry.first == number)
            return entry.second;
    }
    return {};
}
