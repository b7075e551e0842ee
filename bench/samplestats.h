#pragma once

#include <vector>

namespace Torva {

// What a benchmark's runs add up to, in milliseconds (or in the unit of the
// figure a case gives instead of its time): the median and the 99th
// percentile (nearest rank) that the budgets speak of, and the rest for a
// closer look.
struct SampleStats
{
    static SampleStats of(std::vector<double> samples);

    int count = 0;
    double median = 0;
    double p99 = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
};

} // namespace Torva
