#include "SampleCouriers.h"

using namespace Qt::StringLiterals;

const QList<SampleCourier>& sampleCouriers()
{
    static const QList<SampleCourier> couriers{
        {u"ems"_s, u"EMS快递"_s, u"valicode"_s},   {u"sf"_s, u"顺丰速递"_s, u"valicode"_s},
        {u"st"_s, u"申通快递"_s, u"valicode"_s},   {u"yt"_s, u"圆通快递"_s, u"valicode"_s},
        {u"tt"_s, u"天天快递"_s, u"valicode"_s},   {u"zt"_s, u"中通快递"_s, u"valicode"_s},
        {u"yd"_s, u"韵达快递"_s, u"valicode"_s},   {u"htky"_s, u"汇通快递"_s, u"valicode"_s},
        {u"qy"_s, u"全一快递"_s, u"valicode"_s},   {u"zjs"_s, u"宅急送"_s, u"valicode"_s},
        {u"xfh"_s, u"鑫飞鸿"_s, u"valicode"_s},    {u"dbwl"_s, u"德邦物流"_s, u"valicode"_s},
        {u"xcjb"_s, u"星辰急便"_s, u"valicode"_s}, {u"jjwl"_s, u"佳吉快运"_s, u"valicodetel"_s},
        {u"ztky"_s, u"中铁快运"_s, u"valicode"_s},
    };
    return couriers;
}

const SampleCourier* sampleCourierBySlug(const QString& slug)
{
    for (const SampleCourier& courier : sampleCouriers()) {
        if (courier.slug == slug)
            return &courier;
    }
    return nullptr;
}
