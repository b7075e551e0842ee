#include "statementbenchmarks.h"

#include "benchmarksuite.h"

#include "fields/parsename.h"
#include "controls/recordsourcemodel.h"
#include "data/recordsource.h"
#include "data/statements.h"

#include <stdexcept>

namespace Torva {

namespace {
const QString &PartyByKey = Statements::LoadParty;
} // namespace

StatementBenchmarks::StatementBenchmarks(BenchContext &context)
    : m_context(context)
    , m_database(context.sqliteHandle())
    , m_pageSize(RecordSourceModel().pageSize())
{
    if (!m_database)
        throw std::runtime_error("the statements are compared with sqlite3 on SQLite only");
    define();
}

QVariantList StatementBenchmarks::updateValues()
{
    // The party as it is on file, written back as the editor writes it.
    const BenchContext::Party &party = m_context.anyParty();
    return {party.name,      party.street1,   party.street2,   party.city,      party.state, party.zip,
            QString(),       QString(),       party.homePhone, party.workPhone, party.cellPhone,
            party.birthDate, party.sex,       party.changeDate, party.user,     party.key};
}

void StatementBenchmarks::define()
{
    const auto anyKey = [this] { return QVariantList{m_context.anyParty().key}; };
    const auto typed = [this](const QString &source, int length, bool city) {
        return [this, source, length, city] {
            const QString text = city ? m_context.cityPrefix(length) : m_context.namePrefix(length);
            return RecordSource::bind(source, text).parameters();
        };
    };
    const QString nameSearch = RecordSource::bind(Statements::NameSearchSource, QString()).statement();
    const QString cityList = RecordSource::bind(Statements::CityListSource, QString()).statement();

    m_statements = {
        {QStringLiteral("party by key (the load's select)"), PartyByKey, PartyByKey, Reading::OneRow, anyKey,
         BudgetRatio, QString()},
        {QStringLiteral("party by key, locked read (LoadPartyForUpdate)"), Statements::LoadPartyForUpdate, PartyByKey,
         Reading::OneRow, anyKey, 0,
         QStringLiteral("the table object reads the row, takes its row lock and reads it again; sqlite3 reads it once")},
        {QStringLiteral("next party key (NextPartyKey)"), Statements::NextPartyKey, Statements::NextPartyKey,
         Reading::OneRow, [] { return QVariantList(); }, BudgetRatio, QString()},
        {QStringLiteral("duplicates with street (DuplicatePartyWithStreet)"), Statements::DuplicatePartyWithStreet,
         Statements::DuplicatePartyWithStreet, Reading::OneRow,
         [this] {
             const BenchContext::Party &party = m_context.anyParty();
             const ParsedName name = ParseName(party.name);
             const QString shortName = name.LastName + QStringLiteral(", ") + name.FirstName + QLatin1Char('%');
             return QVariantList{party.key, shortName, party.birthDate, party.sex, party.street1};
         },
         BudgetRatio, QString()},
        {QStringLiteral("duplicates (DuplicateParty)"), Statements::DuplicateParty, Statements::DuplicateParty,
         Reading::OneRow,
         [this] {
             const BenchContext::Party &party = m_context.anyParty();
             return QVariantList{party.key, party.name + QLatin1Char('%'), party.birthDate, party.sex};
         },
         BudgetRatio, QString()},
        {QStringLiteral("address check (ZipLookup)"), Statements::ZipLookup, Statements::ZipLookup, Reading::OneRow,
         [this] {
             const BenchContext::ZipRow &zip = m_context.anyZip();
             return QVariantList{zip.city, zip.state, zip.zip};
         },
         BudgetRatio, QString()},
        {QStringLiteral("zip box lookup (ZipCityState)"), Statements::ZipCityState, Statements::ZipCityState,
         Reading::OneRow, [this] { return QVariantList{m_context.anyZip().zip}; }, BudgetRatio, QString()},
        {QStringLiteral("state list (StateListSource, every row)"), Statements::StateListSource,
         Statements::StateListSource, Reading::AllRows, [] { return QVariantList(); }, BudgetRatio, QString()},
        {QStringLiteral("sex list (SexListSource, every row)"), Statements::SexListSource, Statements::SexListSource,
         Reading::AllRows, [] { return QVariantList(); }, BudgetRatio, QString()},
        {QStringLiteral("name search page, 1 character (NameSearchSource)"), nameSearch, nameSearch, Reading::Page,
         typed(Statements::NameSearchSource, 1, false), BudgetRatio, QString()},
        {QStringLiteral("name search page, 3 characters (NameSearchSource)"), nameSearch, nameSearch, Reading::Page,
         typed(Statements::NameSearchSource, 3, false), BudgetRatio, QString()},
        {QStringLiteral("city list page, 3 characters (CityListSource)"), cityList, cityList, Reading::Page,
         typed(Statements::CityListSource, 3, true), BudgetRatio, QString()},
        {QStringLiteral("party update, same values (UpdateParty)"), Statements::UpdateParty, Statements::UpdateParty,
         Reading::Write, [this] { return updateValues(); }, BudgetRatio,
         QStringLiteral("a write: each run commits on its own, as the controls' statements do")},
    };
}

void StatementBenchmarks::addTo(BenchmarkSuite &suite)
{
    for (const Statement &statement : m_statements) {
        m_tables.push_back(std::make_unique<TableObject>());
        m_raw.push_back(std::make_unique<RawStatement>(m_database, statement.sqlite));
        TableObject *table = m_tables.back().get();
        RawStatement *raw = m_raw.back().get();

        ComparisonCase comparison;
        comparison.name = statement.name;
        comparison.statement = statement.text;
        comparison.budgetRatio = statement.budgetRatio;
        comparison.note = statement.note;
        comparison.prepare = [this, values = statement.values] {
            m_values = values();
            m_rawValues = RawStatement::valuesOf(m_values);
        };
        switch (statement.reading) {
        case Reading::OneRow:
        case Reading::Write:
            comparison.throughTableObject = [this, table, text = statement.text] { table->Execute(text, m_values); };
            comparison.throughSqlite = [this, raw] { raw->run(m_rawValues, 1); };
            break;
        case Reading::Page:
            comparison.throughTableObject = [this, table, text = statement.text] { table->Fetch(text, m_values, m_pageSize); };
            comparison.throughSqlite = [this, raw] { raw->run(m_rawValues, m_pageSize, true); };
            break;
        case Reading::AllRows:
            comparison.throughTableObject = [this, table, text = statement.text] { table->Fetch(text, m_values, -1); };
            comparison.throughSqlite = [this, raw] { raw->run(m_rawValues, -1); };
            break;
        }
        suite.add(comparison);
    }
}

void StatementBenchmarks::printPlans(QTextStream &out)
{
    for (const Statement &statement : m_statements) {
        out << "\n" << statement.name << "\n  " << statement.sqlite << "\n";
        const QStringList plan =
            RawStatement::queryPlan(m_database, statement.sqlite, RawStatement::valuesOf(statement.values()));
        for (const QString &line : plan)
            out << "    " << line << "\n";
    }
}

} // namespace Torva
