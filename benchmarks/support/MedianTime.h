#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace trovix::bench {

// The median wall time of `runs` calls of timed, in milliseconds; prepare runs untimed
// before each call.
inline double medianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& timed)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        prepare();
        QElapsedTimer clock;
        clock.start();
        timed();
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace trovix::bench
