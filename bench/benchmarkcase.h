#pragma once

#include <QString>

#include <functional>

// One thing a user waits for, measured on its own: measure runs are timed,
// prepare runs before each of them untimed (choosing the party, loading it
// first, ...), cleanUp once after the last. measure returns false when a
// run did not do what it should (a load that found nothing, a save that
// failed a check); the results count those, so that a figure never hides
// that it timed the wrong path.
struct BenchmarkCase
{
    QString group;          // "Party editor", "Searches", ...
    QString name;
    double budgetMs = 0;    // the median it should stay within; 0 for none
    std::function<void()> prepare;
    std::function<bool()> measure;
    std::function<void()> cleanUp;
    QString note;
};
