#pragma once

#include "SampleAggregator.h"

#include <QtGlobal>

// Starts the sample aggregator on a free loopback port and points both courier forms'
// addresses at it. Only for tests that link the sample aggregator.
inline bool serveCourierPages(SampleAggregator& aggregator)
{
    if (!aggregator.listen())
        return false;
    qputenv("TROVIX_AGGREGATOR_HOST_A", aggregator.hostA().toUtf8());
    qputenv("TROVIX_AGGREGATOR_HOST_B", aggregator.hostB().toUtf8());
    return true;
}
