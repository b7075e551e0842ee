#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace Torva {

// One thing a user waits for, measured on its own: measure runs are timed,
// prepare runs before each of them untimed (choosing the party, loading it
// first, ...), cleanUp once after the last. measure returns false when a
// run did not do what it should (a load that found nothing, a save that
// failed a check); the results count those, so that a figure never hides
// that it timed the wrong path.
//
// A case about something other than time (the bytes a grid row takes) sets
// figure instead of measure: each run then gives its figure, or nothing when
// it did not do what it should, and is not timed; its budget and results are
// in its unit.
struct BenchmarkCase
{
    QString group;          // "Party editor", "Searches", ...
    QString name;
    double budget = 0;      // the median it should stay within, in unit; 0 for none
    std::function<void()> prepare;
    std::function<bool()> measure;
    std::function<void()> cleanUp;
    QString note;
    std::function<std::optional<double>()> figure;
    QString unit = QStringLiteral("ms");
};

} // namespace Torva
