#include "searchbenchmarks.h"

#include "benchmarksuite.h"

#include "fields/addressfunctions.h"
#include "data/statements.h"

namespace Torva {

namespace {
const QString Group = QStringLiteral("Searches");

QString characters(int count)
{
    return count == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(count);
}
} // namespace

SearchBenchmarks::SearchBenchmarks(BenchContext &context)
    : m_context(context)
{
    m_names.setRecordSource(Statements::NameSearchSource);
    m_cities.setRecordSource(Statements::CityListSource);
    m_cities.setMaxRecords(CityListMaxRecords);
}

void SearchBenchmarks::addTo(BenchmarkSuite &suite)
{
    for (const int length : {1, 2, 3, 6}) {
        BenchmarkCase search;
        search.group = Group;
        search.name = QStringLiteral("name search, first page of %1, %2 typed").arg(m_names.pageSize()).arg(characters(length));
        search.budget = BudgetMs;
        search.prepare = [this, length] { m_typed = m_context.namePrefix(length); };
        search.measure = [this] {
            m_names.load(m_typed);
            return m_names.rowCount() > 0;
        };
        suite.add(search);
    }

    for (const int length : {1, 3}) {
        BenchmarkCase search;
        search.group = Group;
        search.name = QStringLiteral("city search, first page of %1, %2 typed").arg(m_cities.pageSize()).arg(characters(length));
        search.budget = BudgetMs;
        search.prepare = [this, length] { m_typed = m_context.cityPrefix(length); };
        search.measure = [this] {
            m_cities.load(m_typed);
            return m_cities.rowCount() > 0;
        };
        suite.add(search);
    }

    BenchmarkCase zipBox;
    zipBox.group = Group;
    zipBox.name = QStringLiteral("zip lookup (the zip box: city and state of a zip)");
    zipBox.budget = BudgetMs;
    zipBox.prepare = [this] { m_zip = m_context.anyZip(); };
    zipBox.measure = [this] {
        m_zipBox.Execute(Statements::ZipCityState, QVariantList{m_zip.zip});
        return !m_zipBox.Eof();
    };
    suite.add(zipBox);

    BenchmarkCase address;
    address.group = Group;
    address.name = QStringLiteral("zip lookup (address check: city, state and zip)");
    address.budget = BudgetMs;
    address.prepare = [this] { m_zip = m_context.anyZip(); };
    address.measure = [this] {
        return AddressFunctions::CityStateZipValid(m_addressCheck, m_zip.city, m_zip.state, m_zip.zip);
    };
    suite.add(address);
}

} // namespace Torva
