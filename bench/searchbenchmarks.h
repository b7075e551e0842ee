#pragma once

#include "benchcontext.h"

#include "controls/recordsourcemodel.h"
#include "data/tableobject.h"

namespace Torva {

class BenchmarkSuite;

// The searches that run as a user types: the name search's first page
// (parties and clients) for prefixes of 1, 2, 3 and 6 characters, the city
// list's first page, the zip box's lookup of a zip and the address check
// against the zip table. The lists read through RecordSourceModel as the
// controls do, with the page size and row limit the controls give them;
// the prefixes are beginnings of names and cities on file, so common
// beginnings come up as often as users type them.
class SearchBenchmarks
{
public:
    static constexpr double BudgetMs = 5.0;
    static constexpr int CityListMaxRecords = 150;  // as the party editor's city list

    explicit SearchBenchmarks(BenchContext &context);

    void addTo(BenchmarkSuite &suite);

private:
    BenchContext &m_context;
    RecordSourceModel m_names;
    RecordSourceModel m_cities;
    TableObject m_zipBox;
    TableObject m_addressCheck;
    QString m_typed;
    BenchContext::ZipRow m_zip;
};

} // namespace Torva
