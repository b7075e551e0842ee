#include "samplestats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Torva {

namespace {
// The smallest sample with at least the share p of all samples at or below it.
double nearestRank(const std::vector<double> &sorted, double p)
{
    const std::size_t rank = std::size_t(std::ceil(p * double(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}
} // namespace

SampleStats SampleStats::of(std::vector<double> samples)
{
    SampleStats stats;
    if (samples.empty())
        return stats;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    stats.count = int(n);
    stats.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
    stats.p99 = nearestRank(samples, 0.99);
    stats.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / double(n);
    stats.min = samples.front();
    stats.max = samples.back();
    return stats;
}

} // namespace Torva
