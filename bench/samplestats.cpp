#include "samplestats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
// The smallest sample with at least the share p of all samples at or below it.
double nearestRank(const std::vector<double> &sorted, double p)
{
    const std::size_t rank = std::size_t(std::ceil(p * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}
} // namespace

SampleStats SampleStats::of(std::vector<double> milliseconds)
{
    SampleStats stats;
    if (milliseconds.empty())
        return stats;
    std::sort(milliseconds.begin(), milliseconds.end());
    const std::size_t n = milliseconds.size();
    stats.count = int(n);
    stats.median = n % 2 ? milliseconds[n / 2] : (milliseconds[n / 2 - 1] + milliseconds[n / 2]) / 2.0;
    stats.p99 = nearestRank(milliseconds, 0.99);
    stats.mean = std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0) / double(n);
    stats.min = milliseconds.front();
    stats.max = milliseconds.back();
    return stats;
}
