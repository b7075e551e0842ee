#pragma once

#include "testdatabase.h"

#include <QtTest>

namespace Torva {

// Data rows for the tests that run once per engine.
//
// In a _data() function, after the column "engine" and the others:
//     forEachEngine([](auto row) { row("known") << "97301" << "SALEM"; });
// adds "sqlite/known" and "postgresql/known", each with its engine first.
template<typename Fill>
void forEachEngine(Fill fill)
{
    for (const QString &engine : TestDatabase::engines())
        fill([&engine](const char *name) -> QTestData & {
            return QTest::addRow("%s/%s", qPrintable(engine), name) << engine;
        });
}

// Opens a fresh database for the engine of the current data row (its column
// "engine"), or skips the row with the reason.
#define TORVA_USE_ENGINE_ROW()                                                                                         \
    QFETCH(QString, engine);                                                                                           \
    TORVA_USE_DATABASE(engine)

} // namespace Torva
