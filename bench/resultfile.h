#pragma once

#include "benchmarkresult.h"

#include <QList>
#include <QString>

namespace Torva {

// The results of one torva-bench run as a JSON file (--json), with where
// they were measured, so that bench-side-by-side can set the runs on two
// engines next to each other.
struct ResultFile
{
    QString engine;    // as the tables name it: "SQLite", "PostgreSQL"
    QString machine;   // cores, processor, system and library versions
    QString database;  // location and table sizes
    QList<BenchmarkResult> results;

    // Both throw std::runtime_error when the file cannot be written or read,
    // or holds something else.
    void save(const QString &path) const;
    static ResultFile load(const QString &path);
};

} // namespace Torva
