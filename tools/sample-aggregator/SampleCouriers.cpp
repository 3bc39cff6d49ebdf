#include "SampleCouriers.h"

const QList<SampleCourier>& sampleCouriers()
{
    static const QList<SampleCourier> couriers{
        {"ems", "EMS快递", "valicode"},   {"sf", "顺丰速递", "valicode"},
        {"st", "申通快递", "valicode"},   {"yt", "圆通快递", "valicode"},
        {"tt", "天天快递", "valicode"},   {"zt", "中通快递", "valicode"},
        {"yd", "韵达快递", "valicode"},   {"htky", "汇通快递", "valicode"},
        {"qy", "全一快递", "valicode"},   {"zjs", "宅急送", "valicode"},
        {"xfh", "鑫飞鸿", "valicode"},    {"dbwl", "德邦物流", "valicode"},
        {"xcjb", "星辰急便", "valicode"}, {"jjwl", "佳吉快运", "valicodetel"},
        {"ztky", "中铁快运", "valicode"},
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
