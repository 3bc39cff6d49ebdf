#pragma once

#include <QList>
#include <QString>

// The couriers the aggregator offers a tracking page for.
struct SampleCourier {
    QString slug; // the page is "/all/<slug>.html", its answer "/query/<slug>.html"
    QString name;
    QString codeField; // id and name of the second input
};

const QList<SampleCourier>& sampleCouriers();
const SampleCourier* sampleCourierBySlug(const QString& slug);
