#pragma once

#include <vector>

// What a benchmark's timed runs add up to, in milliseconds: the median and
// the 99th percentile (nearest rank) that the budgets speak of, and the rest
// for a closer look.
struct SampleStats
{
    static SampleStats of(std::vector<double> milliseconds);

    int count = 0;
    double median = 0;
    double p99 = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
};
