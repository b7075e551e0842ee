#include "scaledata.h"

#include "data/dataaccesserror.h"
#include "data/database.h"
#include "data/engines/sqliteengine.h"
#include "data/schema.h"
#include "data/tableobject.h"
#include "demodata.h"
#include "demoreferencedata.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace Torva {

namespace {

// Surname endings, the most frequent first.
constexpr const char *Endings[] = {
    "SON",  "ER",    "S",    "EZ",  "MAN",  "LEY",  "TON",  "ES",   "EN",   "ELL", "INS", "ARD",
    "FORD", "WOOD",  "BERG", "SKI", "ETTE", "INI",  "ANO",  "ADO",  "STEIN", "OV", "FIELD", "HAM",
    "LAND", "OWSKI", "AULT", "INO", "WICZ", "ELLI", "QUIST", "AKER", "MORE", "WELL"};

// The share of US surnames beginning with each letter, in percent.
constexpr double SurnameInitials[26] = {
    3.5, 9.3, 7.7, 4.8, 1.9, 3.6, 5.3, 7.5, 0.4, 2.9, 3.6, 5.1, 9.6,  // A to M
    1.9, 1.5, 5.2, 0.2, 5.8, 10.0, 3.6, 0.3, 1.7, 5.9, 0.05, 0.6, 0.5};  // N to Z

// Words that US town names are made of, besides the surnames of the demo list.
constexpr const char *TownStems[] = {
    "SPRINGFIELD", "FRANKLIN", "CLINTON", "GREENVILLE", "BRISTOL", "FAIRVIEW", "SALEM", "MADISON",
    "GEORGETOWN", "ARLINGTON", "ASHLAND", "BURLINGTON", "MANCHESTER", "MARION", "OXFORD", "CLAYTON",
    "MILFORD", "DOVER", "HUDSON", "KINGSTON", "NEWPORT", "RIVERSIDE", "CENTERVILLE", "WINCHESTER",
    "LEBANON", "AUBURN", "DAYTON", "LEXINGTON", "MILTON", "OAKLAND", "ROCHESTER", "CHESTER",
    "HAMILTON", "LINCOLN", "MONROE", "PLYMOUTH", "WARREN", "ELM", "OAK", "PINE", "CEDAR", "MAPLE",
    "WILLOW", "ASH", "BIRCH", "RIVER", "LAKE", "HILL", "ROCK", "STONE", "SPRING", "FAIR", "GREEN",
    "RED", "CLEAR", "SILVER", "GOLD", "BEAR", "DEER", "EAGLE", "FOX", "WOLF", "BUFFALO", "HAWK"};
constexpr const char *TownPrefixes[] = {"NEW ", "EAST ", "WEST ", "NORTH ", "SOUTH ", "LAKE ", "FORT ",
                                        "MOUNT ", "PORT ", "SAINT ", "GLEN "};
constexpr const char *TownSuffixes[] = {"VILLE", "TON", "BURG", "FIELD", "WOOD", "DALE", "PORT", "FORD",
                                        " CITY", " SPRINGS", " HEIGHTS", " FALLS", " PARK", "LAND", " GROVE"};
constexpr int FirstZip = 1001;
constexpr int LastZip = 99950;

// The relationship types beyond the demo's 15, for 40 in all: directional
// ones, then symmetric ones. Codes are free in the demo's numbering and stay
// below 100, as the grid needs.
constexpr DemoReferenceData::Relationship MoreRelationships[] = {
    {10, "Aunt or Uncle", "Niece or Nephew"}, {11, "Foster Parent", "Foster Child"}, {12, "Godparent", "Godchild"},
    {13, "Mentor", "Mentee"}, {14, "Supervisor", "Supervisee"}, {15, "Teacher", "Student"},
    {16, "Counselor", "Counselee"}, {17, "Caregiver", "Dependent"}, {18, "Surety", "Principal"},
    {19, "Creditor", "Debtor"}, {50, "Physician", "Patient"}, {51, "Lessor", "Lessee"}, {52, "Payor", "Payee"},
    {53, "Probation Officer", "Probationer"}, {54, "Bail Bondsman", "Bonded Person"}, {26, "Partner", "Partner"},
    {27, "Co-worker", "Co-worker"}, {28, "Neighbor", "Neighbor"}, {29, "Acquaintance", "Acquaintance"},
    {30, "Former Spouse", "Former Spouse"}, {31, "Half-sibling", "Half-sibling"},
    {32, "Step-sibling", "Step-sibling"}, {33, "Co-parent", "Co-parent"}, {34, "Classmate", "Classmate"},
    {35, "Business Partner", "Business Partner"}};

// The 40 relationship types: the demo's, then the ones above.
std::vector<DemoReferenceData::Relationship> relationshipTypes()
{
    const auto demo = DemoReferenceData::relationships();
    std::vector<DemoReferenceData::Relationship> types(demo.begin(), demo.end());
    types.insert(types.end(), std::begin(MoreRelationships), std::end(MoreRelationships));
    return types;
}

const char *const ChangeUsers[] = {"OFFICER", "SUPERVISOR", "JSMITH", "MGARCIA", "TNGUYEN", "KJOHNSON"};

template<typename Pool>
const auto &pick(const Pool &pool, std::mt19937_64 &random)
{
    return pool[std::uniform_int_distribution<std::size_t>(0, std::size(pool) - 1)(random)];
}

// Weights that fall with the rank, as the frequencies of names do.
std::vector<double> rankWeights(std::size_t count)
{
    std::vector<double> weights(count);
    for (std::size_t rank = 0; rank < count; ++rank)
        weights[rank] = 1.0 / std::pow(double(rank) + 2.0, 0.9);
    return weights;
}

template<typename Pool>
std::discrete_distribution<int> byRank(const Pool &pool)
{
    const std::vector<double> weights = rankWeights(std::size(pool));
    return std::discrete_distribution<int>(weights.begin(), weights.end());
}

// Surnames weighted so that their initials are spread as real surnames'
// are, and within one initial by rank.
std::discrete_distribution<int> surnamesByInitial()
{
    const auto pool = DemoReferenceData::lastNames();
    const std::vector<double> ranked = rankWeights(pool.size());
    double letterTotals[26] = {};
    for (std::size_t i = 0; i < pool.size(); ++i)
        letterTotals[pool[i][0] - 'A'] += ranked[i];
    std::vector<double> weights(pool.size());
    for (std::size_t i = 0; i < pool.size(); ++i) {
        const int letter = pool[i][0] - 'A';
        weights[i] = SurnameInitials[letter] * ranked[i] / letterTotals[letter];
    }
    return std::discrete_distribution<int>(weights.begin(), weights.end());
}

QString lettersOnly(const char *text)
{
    static const QRegularExpression others(QStringLiteral("[^A-Z]"));
    return QString::fromLatin1(text).remove(others);
}

QString fitted(QString text, qsizetype length)
{
    text.truncate(length);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

// Person names as the agency keys them, "LAST, FIRST M", spread over their
// prefixes as real names are. Surnames begin with each letter as often as US
// surnames do; common surnames and given names are drawn far more often
// than rare ones (the weight falls with the rank in the demo lists, which
// run from the most common down); a share of the surnames is built from the
// beginning of one surname and a common ending, sometimes with a letter or
// two more, so that the names vary without being uniform.
class NameGenerator
{
public:
    explicit NameGenerator(std::mt19937_64 &random)
        : m_random(random)
        , m_surnames(surnamesByInitial())
        , m_givenNames(byRank(DemoReferenceData::firstNames()))
        , m_endings(byRank(Endings))
    {
    }

    // A name of at most maxLength characters. With room to spare some names
    // carry a whole middle name instead of an initial.
    QString personName(qsizetype maxLength)
    {
        QString last = surname();
        QString first = QLatin1String(DemoReferenceData::firstNames()[m_givenNames(m_random)]);
        QString middle;
        if (chance(0.75)) {
            const QString middleName = QLatin1String(DemoReferenceData::firstNames()[m_givenNames(m_random)]);
            middle = maxLength >= 30 && chance(0.3) ? middleName : middleName.left(1);
        }
        // Fit the limit: the middle name goes first, then the given name is
        // cut, then the surname, always keeping "LAST, F".
        const auto length = [&] { return last.size() + 2 + first.size() + (middle.isEmpty() ? 0 : middle.size() + 1); };
        if (length() > maxLength && middle.size() > 1)
            middle.truncate(1);
        if (length() > maxLength)
            middle.clear();
        if (last.size() + 3 > maxLength)
            last.truncate(maxLength - 3);
        if (length() > maxLength)
            first.truncate(maxLength - last.size() - 2);
        return last + QStringLiteral(", ") + first + (middle.isEmpty() ? QString() : QLatin1Char(' ') + middle);
    }

private:
    bool chance(double probability) { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < probability; }

    QString surname()
    {
        if (chance(0.45))
            return QLatin1String(DemoReferenceData::lastNames()[m_surnames(m_random)]);
        // The beginning of a common surname keeps the first letters spread
        // as real surnames spread them.
        const QString stem = lettersOnly(DemoReferenceData::lastNames()[m_surnames(m_random)]);
        const qsizetype keep = qsizetype(std::uniform_int_distribution<std::size_t>(2, 5)(m_random));
        QString name = stem.left(keep) + QLatin1String(Endings[m_endings(m_random)]);
        if (chance(0.25)) {
            std::uniform_int_distribution<int> letter('A', 'Z');
            const int extra = chance(0.7) ? 1 : 2;
            for (int i = 0; i < extra; ++i)
                name += QLatin1Char(char(letter(m_random)));
        }
        return name.left(14);
    }

    std::mt19937_64 &m_random;
    std::discrete_distribution<int> m_surnames;
    std::discrete_distribution<int> m_givenNames;
    std::discrete_distribution<int> m_endings;
};

// Addresses: the zip table (city, state, zip) and the street lines of the
// parties, whose city, state and zip are always a row of that zip table.
class AddressGenerator
{
public:
    struct ZipRow
    {
        QString city;   // upper case, at most 15 characters
        QString state;  // a US state code of the demo list
        int zip = 0;
    };

    explicit AddressGenerator(std::mt19937_64 &random)
        : m_random(random)
    {
    }

    // count rows, each (city, state, zip) once: the demo's real rows (a
    // random choice of them when fewer are wanted), then made-up towns over
    // the whole zip range, a town now and then with several zips and common
    // town names in several states, as real zip tables have them.
    std::vector<ZipRow> zipTable(qint64 count)
    {
        std::vector<ZipRow> rows;
        for (const auto &real : DemoReferenceData::zipRows())
            rows.push_back({QLatin1String(real.city), QLatin1String(real.state), real.zip});
        if (qint64(rows.size()) >= count) {
            std::shuffle(rows.begin(), rows.end(), m_random);
            rows.resize(std::size_t(count));
            return rows;
        }
        QStringList usStates;
        for (const auto &state : DemoReferenceData::states()) {
            if (qstrcmp(state.country, "US") == 0)
                usStates << QLatin1String(state.code);
        }
        std::set<std::tuple<QString, QString, int>> taken;
        for (const ZipRow &row : rows)
            taken.emplace(row.city, row.state, row.zip);
        // Walk the zip range upwards in steps that spread the rows over all
        // of it; a town keeps the next zips for a while, as big towns do.
        const qint64 wanted = count - qint64(rows.size());
        const int averageStep = std::max<int>(1, int((LastZip - FirstZip) / std::max<qint64>(1, wanted)));
        std::uniform_int_distribution<int> step(1, std::max(1, 2 * averageStep - 1));
        std::geometric_distribution<int> moreZips(0.7);
        int zip = FirstZip;
        QString town = townName();
        int zipsLeft = 0;
        while (qint64(rows.size()) < count) {
            zip += step(m_random);
            if (zip > LastZip)
                zip = FirstZip + step(m_random);  // a second pass fills in towns between the first
            if (zipsLeft-- <= 0) {
                town = townName();
                zipsLeft = moreZips(m_random);
            }
            const qsizetype region = qint64(zip - FirstZip) * usStates.size() / (LastZip - FirstZip + 1);
            const QString &state = usStates.at(std::min(region, usStates.size() - 1));
            if (taken.emplace(town, state, zip).second)
                rows.push_back({town, state, zip});
        }
        return rows;
    }

    // "1234 OAK AVE": a house number (many short ones, fewer long ones) and a street of the demo list.
    QString streetLine()
    {
        const int limit = int(std::pow(10, std::uniform_int_distribution<int>(1, 5)(m_random)));
        const int number = std::uniform_int_distribution<int>(1, limit - 1)(m_random);
        const QLatin1String street(pick(DemoReferenceData::streetNames(), m_random));
        return fitted(QString::number(number) + QLatin1Char(' ') + street, 30);
    }

    // Mostly empty; sometimes an apartment or suite.
    QString secondLine()
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        if (unit(m_random) >= 0.12)
            return QStringLiteral("");  // empty, not null
        const int number = std::uniform_int_distribution<int>(1, 400)(m_random);
        if (unit(m_random) < 0.8)
            return QStringLiteral("APT %1%2").arg(number).arg(QLatin1Char(char('A' + number % 6)));
        return QStringLiteral("STE %1").arg(number * 10);
    }

private:
    QString townName()
    {
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        const QString stem = unit(m_random) < 0.6 ? QString(QLatin1String(pick(TownStems, m_random)))
                                                  : lettersOnly(pick(DemoReferenceData::lastNames(), m_random));
        const double form = unit(m_random);
        if (form < 0.35)
            return fitted(stem + QLatin1String(pick(TownSuffixes, m_random)), 15);
        if (form < 0.55)
            return fitted(QLatin1String(pick(TownPrefixes, m_random)) + stem, 15);
        return fitted(stem, 15);
    }

    std::mt19937_64 &m_random;
};

// Writes rows through the data layer, in transactions of 250,000 rows
// whose inserts go to a server together (QueueWrite).
struct BulkWriter
{
    // Starts a table; the rows added give the values of these columns ("A,B,C"), all of them.
    void beginTable(const QString &name, const char *columns)
    {
        const qsizetype count = QByteArray(columns).count(',') + 1;
        if (Schema::table(name)->columns.size() != count)
            throw std::logic_error("the generator and the schema disagree on the columns of " + name.toStdString());
        insert = QStringLiteral("Insert Into %1 (%2) Values(%3)")
                     .arg(name, QLatin1String(columns), QStringList(count, QStringLiteral("?")).join(QLatin1Char(',')));
        table.BeginTransaction();
    }

    void add(const QVariantList &row)
    {
        table.QueueWrite(insert, row);
        if (++uncommitted == 250'000) {
            endTable();
            table.BeginTransaction();
        }
    }

    void endTable()
    {
        table.CommitTransaction();
        uncommitted = 0;
    }

    TableObject table;
    QString insert;
    qint64 uncommitted = 0;
};

// Who is associated with whom. Most associations have a client as side 1,
// some a party; the number per subject is skewed as in real case loads
// (many with none or a few, some with dozens) and adds up to exactly the
// associations wanted. One client, the heavy client, has the most by far (a
// quarter of them as side 2 of other clients' rows); another, the typical
// client, has its number all as side 1. Nobody else is ever side 2 of a row
// with those two. Every association goes to write once, in the order of the
// table's key, so that a bulk load only ever appends to the key's index; the
// heavy and the typical client come back.
using WriteAssociation = std::function<void(char flag1, qint64 key1, int code, char flag2, qint64 key2)>;
std::pair<qint64, qint64> planAssociations(const ScaleSizes &sizes, std::mt19937_64 &random,
                                           const WriteAssociation &write)
{
    constexpr double ClientSideShare = 0.9;  // of the associations, those with a client as side 1
    constexpr double PartnerIsPartyShare = 0.75;
    constexpr int OrdinaryCap = 60;          // the most any subject but the heavy client has as side 1
    std::vector<int> codes;
    std::vector<double> weights;
    for (const DemoReferenceData::Relationship &type : relationshipTypes()) {
        codes.push_back(type.code);
        weights.push_back(1.0 / double(codes.size()));  // the demo's types, listed first, are the common ones
    }
    std::discrete_distribution<int> codeChoice(weights.begin(), weights.end());
    std::uniform_int_distribution<qint64> anyClient(1, sizes.clients);
    std::uniform_int_distribution<qint64> anyParty(1, sizes.parties);
    const qint64 heavy = anyClient(random);
    qint64 typical = heavy;
    while (typical == heavy)
        typical = anyClient(random);

    // Side-1 rows per client and party (index: key - 1), and the clients with a row towards the heavy client.
    std::vector<quint16> clientCounts(std::size_t(sizes.clients), 0);
    std::vector<quint16> partyCounts(std::size_t(sizes.parties), 0);
    std::vector<bool> towardsHeavy(std::size_t(sizes.clients), false);
    std::vector<bool> fixed(std::size_t(sizes.clients), false);
    const qint64 heavySide2 = std::min<qint64>(sizes.heavyClientAssociations / 4, sizes.clients - 2);
    fixed[std::size_t(heavy - 1)] = true;
    fixed[std::size_t(typical - 1)] = true;
    clientCounts[std::size_t(heavy - 1)] = quint16(sizes.heavyClientAssociations - heavySide2);
    clientCounts[std::size_t(typical - 1)] = quint16(sizes.typicalClientAssociations);
    for (qint64 chosen = 0; chosen < heavySide2;) {
        const std::size_t client = std::size_t(anyClient(random) - 1);
        if (!fixed[client] && !towardsHeavy[client]) {
            towardsHeavy[client] = true;
            ++chosen;
        }
    }
    // Counts per subject drawn around the mean, capped, then moved up or down
    // one at a time at random subjects until they add up to target; the
    // fixed entries keep their value, the floorOne entries stay above zero.
    const auto distribute = [&](std::vector<quint16> &counts, qint64 target, const std::vector<bool> &fixedOnes,
                                const std::vector<bool> &floorOne) {
        qint64 total = 0;
        qint64 free = 0;
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (fixedOnes[i])
                total += counts[i];
            else
                ++free;
        }
        if (free == 0)
            throw std::invalid_argument("an association plan needs subjects besides the heavy and the typical client");
        std::geometric_distribution<int> skewed(1.0 / (1.0 + std::max(0.0, double(target - total) / double(free))));
        for (std::size_t i = 0; i < counts.size(); ++i) {
            if (!fixedOnes[i]) {
                counts[i] = quint16(std::clamp(skewed(random), floorOne[i] ? 1 : 0, OrdinaryCap));
                total += counts[i];
            }
        }
        std::uniform_int_distribution<std::size_t> anyone(0, counts.size() - 1);
        while (total != target) {
            const std::size_t i = anyone(random);
            if (fixedOnes[i])
                continue;
            if (total < target && counts[i] < OrdinaryCap) {
                ++counts[i];
                ++total;
            } else if (total > target && counts[i] > (floorOne[i] ? 1 : 0)) {
                --counts[i];
                --total;
            }
        }
    };
    const qint64 clientRows = std::llround(double(sizes.associations) * ClientSideShare);
    distribute(clientCounts, clientRows, fixed, towardsHeavy);
    const std::vector<bool> none(std::size_t(sizes.parties), false);
    distribute(partyCounts, sizes.associations - clientRows, none, none);

    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto writeSubject = [&](char flag, qint64 key, int count, bool towardsHeavyClient) {
        std::vector<std::tuple<int, char, qint64>> partners;  // code, side 2's kind, side 2's key
        if (count > 0 && towardsHeavyClient)
            partners.emplace_back(codes[std::size_t(codeChoice(random))], 'C', heavy);
        while (int(partners.size()) < count) {
            while (int(partners.size()) < count) {
                const char flag2 = unit(random) < PartnerIsPartyShare ? 'P' : 'C';
                const qint64 key2 = flag2 == 'P' ? anyParty(random) : anyClient(random);
                if ((flag2 == flag && key2 == key) || (flag2 == 'C' && (key2 == heavy || key2 == typical)))
                    continue;
                partners.emplace_back(codes[std::size_t(codeChoice(random))], flag2, key2);
            }
            std::sort(partners.begin(), partners.end());
            partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
        }
        for (const auto &[code, flag2, key2] : partners)
            write(flag, key, code, flag2, key2);
    };
    for (qint64 key = 1; key <= sizes.clients; ++key)
        writeSubject('C', key, clientCounts[std::size_t(key - 1)], towardsHeavy[std::size_t(key - 1)]);
    for (qint64 key = 1; key <= sizes.parties; ++key)
        writeSubject('P', key, partyCounts[std::size_t(key - 1)], false);
    return {heavy, typical};
}

// The check at the end: every table holds the rows planned, and the two
// clients their associations.
void check(ScaleOutcome &outcome)
{
    const ScaleSizes &sizes = outcome.sizes;
    const QList<QPair<QString, qint64>> expected{
        {Schema::SexTable, qint64(DemoReferenceData::sexCodes().size())},
        {Schema::StateTable, qint64(DemoReferenceData::states().size())},
        {Schema::RelationTable, qint64(relationshipTypes().size())},
        {Schema::SecurityTable, 3},
        {Schema::ZipTable, sizes.zipRows},
        {Schema::PartyTable, sizes.parties},
        {Schema::ClientTable, sizes.clients},
        {Schema::AssociationTable, sizes.associations}};
    TableObject table;
    const auto countRows = [&table](const QString &statement, const QVariantList &values = {}) {
        table.Execute(statement, values.isEmpty() ? QVariant() : QVariant(values));
        return table.FieldValue(QStringLiteral("ROWCOUNT")).toLongLong();
    };
    QStringList differences;
    for (const auto &[name, rows] : expected) {
        const qint64 counted = countRows(QStringLiteral("Select Count(*) As ROWCOUNT From ") + name);
        outcome.rowCounts.append({name, counted});
        if (counted != rows)
            differences << QStringLiteral("%1 holds %2 rows instead of %3").arg(name).arg(counted).arg(rows);
    }
    const auto associationsOf = [&](qint64 client) {
        return countRows(QStringLiteral("Select Count(*) As ROWCOUNT From DUVPRB.PRBCLTASC Where "
                                        "(ASCFLG1='C' And ASCKEY1=?) Or (ASCFLG2='C' And ASCKEY2=?)"),
                         {client, client});
    };
    const qint64 heavy = associationsOf(outcome.heavyClient);
    const qint64 typical = associationsOf(outcome.typicalClient);
    if (heavy != sizes.heavyClientAssociations || typical != sizes.typicalClientAssociations)
        differences << QStringLiteral("clients %1 and %2 have %3 and %4 associations instead of %5 and %6")
                           .arg(outcome.heavyClient).arg(outcome.typicalClient).arg(heavy).arg(typical)
                           .arg(sizes.heavyClientAssociations).arg(sizes.typicalClientAssociations);
    table.Close();
    if (!differences.isEmpty())
        throw std::runtime_error("the scale database is not as planned: "
                                 + differences.join(QStringLiteral("; ")).toStdString());
}

} // namespace

ScaleSizes ScaleSizes::forScale(double scale)
{
    if (!(scale >= MinimumScale && scale <= 1.0))
        throw std::invalid_argument("the scale must lie between " + std::to_string(MinimumScale) + " and 1, not "
                                    + std::to_string(scale));
    const auto scaled = [scale](qint64 full) { return std::max<qint64>(1, std::llround(double(full) * scale)); };
    ScaleSizes sizes;
    sizes.scale = scale;
    sizes.parties = scaled(sizes.parties);
    sizes.clients = scaled(sizes.clients);
    sizes.associations = scaled(sizes.associations);
    sizes.zipRows = scaled(sizes.zipRows);
    sizes.heavyClientAssociations = int(std::min<qint64>(sizes.heavyClientAssociations, sizes.associations / 3));
    sizes.typicalClientAssociations = int(std::min<qint64>(sizes.typicalClientAssociations, sizes.associations / 10));
    return sizes;
}

ScaleOutcome generateScaleData(const ScaleSizes &sizes, quint64 seed, std::FILE *progress)
{
    // Building the indexes over a million rows and the check at the end take
    // longer than a control's statement may; the deadline before comes back at the end.
    struct Deadline
    {
        std::chrono::milliseconds before = Database::statementDeadline();
        ~Deadline() { Database::setStatementDeadline(before); }
    } deadline;
    Database::setStatementDeadline(std::chrono::hours(1));
    QElapsedTimer clock;
    clock.start();
    const auto step = [&](const char *name) {
        if (progress)
            std::fprintf(progress, "%7.1f s  %s\n", double(clock.elapsed()) / 1000.0, name);
    };
    std::mt19937_64 random(seed);
    // Someone between 16 and 90 years old (yyyymmdd).
    std::uniform_int_distribution<qint64> birthDay(QDate(1934, 1, 1).toJulianDay(), QDate(2008, 12, 31).toJulianDay());
    const auto birthDate = [&] {
        const QDate day = QDate::fromJulianDay(birthDay(random));
        return qint64(day.year() * 10000 + day.month() * 100 + day.day());
    };
    // A change in the last years, as the controls write it (MMddyyyy).
    std::uniform_int_distribution<qint64> changeDay(QDate(2012, 1, 1).toJulianDay(), QDate(2025, 12, 31).toJulianDay());
    const auto changeDate = [&] {
        const QDate day = QDate::fromJulianDay(changeDay(random));
        return qint64(day.month()) * 1000000 + day.day() * 10000 + day.year();
    };
    ScaleOutcome outcome;
    outcome.sizes = sizes;
    const bool postgres = Database::location().engine() == DatabaseLocation::Engine::Postgres;
    if (!postgres && Database::location().engine() != DatabaseLocation::Engine::Sqlite)
        throw DataAccessError(DataAccessError::ConfigurationError,
                              QStringLiteral("scale data is made on SQLite or PostgreSQL"));
    step("tables");
    Database::initialize();
    BulkWriter writer;
    for (const Schema::Table &definition : Schema::tables()) {
        if (!writer.table.Fetch(QStringLiteral("Select * From ") + definition.qualifiedName(), QVariant(), 1).isEmpty())
            throw std::runtime_error(definition.qualifiedName().toStdString()
                                     + " already holds rows: scale data goes into an empty database "
                                       "(a new folder, or a new PostgreSQL database)");
    }
    // The secondary indexes go for the load, and the data layer makes them
    // again afterwards, faster than keeping them up to date row by row; a
    // server need not flush each commit.
    for (const Schema::Table &table : Schema::tables()) {
        for (const Schema::Index &index : table.indexes)
            writer.table.Execute(QStringLiteral("DROP INDEX IF EXISTS %1.%2").arg(table.library, index.name));
    }
    if (postgres)
        writer.table.Execute(QStringLiteral("SET synchronous_commit = off"));
    step("code tables");
    writer.beginTable(Schema::SexTable, "SEXCOD,SEXDSC");
    for (const auto &code : DemoReferenceData::sexCodes())
        writer.add({code.code, code.description});
    writer.endTable();
    writer.beginTable(Schema::StateTable, "STACOD,STADSC,STACTR");
    for (const auto &state : DemoReferenceData::states())
        writer.add({state.code, state.name, state.country});
    writer.endTable();
    writer.beginTable(Schema::RelationTable, "RLTCOD,RLTDSC,RLTINVDSC");
    for (const DemoReferenceData::Relationship &type : relationshipTypes())
        writer.add({type.code, type.description, type.inverseDescription});
    writer.endTable();
    // The benchmarks sign on as BENCH, who like the supervisor may delete associations.
    writer.beginTable(Schema::SecurityTable, "SECUSR,SECNAM,SECP01,SECP02,SECP03");
    writer.add({DemoData::supervisorUser(), "SUPERVISOR, SUSAN", "Y", "Y", "Y"});
    writer.add({DemoData::officerUser(), "OFFICER, OSCAR", "Y", "N", "Y"});
    writer.add({"BENCH", "BENCHMARK, BETTY", "Y", "Y", "Y"});
    writer.endTable();

    step("zip table");
    AddressGenerator addresses(random);
    const std::vector<AddressGenerator::ZipRow> zipRows = addresses.zipTable(sizes.zipRows);
    writer.beginTable(Schema::ZipTable, "ZIPCTY,ZIPSTA,ZIPKEY");
    for (const AddressGenerator::ZipRow &zip : zipRows)
        writer.add({zip.city, zip.state, zip.zip});
    writer.endTable();

    step("parties");
    NameGenerator names(random);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<std::size_t> anyZip(0, zipRows.size() - 1);
    std::uniform_int_distribution<qint64> areaCode(201, 989);
    std::uniform_int_distribution<qint64> localNumber(2'000'000, 9'999'999);
    const auto phone = [&](double share) -> qint64 {
        return unit(random) < share ? areaCode(random) * 10'000'000 + localNumber(random) : 0;
    };
    const auto sex = [&]() -> const char * {
        const double draw = unit(random);
        return draw < 0.49 ? "M" : draw < 0.97 ? "F" : draw < 0.99 ? "U" : "X";
    };
    writer.beginTable(Schema::PartyTable, "PTYKEY,PTYNAM,PTYST1,PTYST2,PTYCTY,PTYSTA,PTYZIP,PTYCTR,PTYIZP,PTYHOMPHN,"
                                          "PTYWRKPHN,PTYCELPHN,PTYBDT,PTYSEX,PTYUDT,PTYUSR");
    for (qint64 key = 1; key <= sizes.parties; ++key) {
        // A braced list is evaluated in order: the draws come in the columns' order.
        const AddressGenerator::ZipRow &zip = zipRows[anyZip(random)];
        writer.add({key, names.personName(20), addresses.streetLine(), addresses.secondLine(), zip.city, zip.state,
                    zip.zip, QStringLiteral(""), QStringLiteral(""), phone(0.7), phone(0.3), phone(0.6), birthDate(),
                    sex(), changeDate(), pick(ChangeUsers, random)});
    }
    writer.endTable();

    step("clients");
    writer.beginTable(Schema::ClientTable, "CLTCNO,CLTNAM,CLTBDT");
    for (qint64 number = 1; number <= sizes.clients; ++number)
        writer.add({number, names.personName(30), birthDate()});
    writer.endTable();

    step("associations");
    writer.beginTable(Schema::AssociationTable, "ASCFLG1,ASCKEY1,ASCRLTCOD,ASCFLG2,ASCKEY2,ASCUDT,ASCUSR");
    std::tie(outcome.heavyClient, outcome.typicalClient) =
        planAssociations(sizes, random, [&](char flag1, qint64 key1, int code, char flag2, qint64 key2) {
            writer.add({QString(QLatin1Char(flag1)), key1, code, QString(QLatin1Char(flag2)), key2, changeDate(),
                        pick(ChangeUsers, random)});
        });
    writer.endTable();
    if (postgres) {
        writer.table.Execute(QStringLiteral("ANALYZE"));  // so that the planner knows the sizes
        writer.table.Execute(QStringLiteral("SET synchronous_commit = on"));
    }

    step("indexes");
    Database::initialize();  // makes the indexes dropped for the load
    step("check");
    check(outcome);
    if (postgres) {
        writer.table.Execute(QStringLiteral("Select pg_database_size(current_database()) As DATABASEBYTES"));
        outcome.databaseBytes = writer.table.FieldValue(QStringLiteral("DATABASEBYTES")).toLongLong();
    } else {
        writer.table.Close();
        const QString folder = Database::location().folder();
        Database::close();  // the last connection folds the write-ahead log into the files
        for (const QString &library : Schema::libraries())
            outcome.databaseBytes += QFileInfo(SqliteEngine::libraryFile(folder, library)).size();
    }
    step("done");
    outcome.seconds = double(clock.elapsed()) / 1000.0;
    return outcome;
}

} // namespace Torva
