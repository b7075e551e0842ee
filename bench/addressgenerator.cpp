#include "addressgenerator.h"

#include "demoreferencedata.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

namespace Torva {

namespace {

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

template<typename Pool>
const auto &pick(const Pool &pool, std::mt19937_64 &random)
{
    return pool[std::uniform_int_distribution<std::size_t>(0, std::size(pool) - 1)(random)];
}

std::string fitted(std::string text, std::size_t length)
{
    text.resize(std::min(text.size(), length));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

AddressGenerator::AddressGenerator(std::mt19937_64 &random)
    : m_random(random)
{
}

std::string AddressGenerator::townName()
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::string stem;
    if (unit(m_random) < 0.6) {
        stem = pick(TownStems, m_random);
    } else {
        stem = pick(DemoReferenceData::lastNames(), m_random);
        stem.erase(std::remove_if(stem.begin(), stem.end(), [](char c) { return c < 'A' || c > 'Z'; }), stem.end());
    }
    const double form = unit(m_random);
    if (form < 0.35)
        return fitted(stem + pick(TownSuffixes, m_random), 15);
    if (form < 0.55)
        return fitted(pick(TownPrefixes, m_random) + stem, 15);
    return fitted(stem, 15);
}

std::vector<AddressGenerator::ZipRow> AddressGenerator::zipTable(qint64 count)
{
    std::vector<ZipRow> rows;
    for (const auto &real : DemoReferenceData::zipRows())
        rows.push_back({real.city, real.state, real.zip});
    if (qint64(rows.size()) >= count) {
        std::shuffle(rows.begin(), rows.end(), m_random);
        rows.resize(std::size_t(count));
        return rows;
    }

    std::vector<std::string> usStates;
    for (const auto &state : DemoReferenceData::states()) {
        if (std::string(state.country) == "US")
            usStates.push_back(state.code);
    }
    std::set<std::tuple<std::string, std::string, int>> taken;
    for (const ZipRow &row : rows)
        taken.emplace(row.city, row.state, row.zip);

    // Walk the zip range upwards in steps that spread the rows over all of
    // it; a town keeps the next zips for a while, as big towns do.
    const qint64 wanted = count - qint64(rows.size());
    const int averageStep = std::max<int>(1, int((LastZip - FirstZip) / std::max<qint64>(1, wanted)));
    std::uniform_int_distribution<int> step(1, std::max(1, 2 * averageStep - 1));
    std::geometric_distribution<int> moreZips(0.7);
    int zip = FirstZip;
    std::string town = townName();
    int zipsLeft = 0;
    while (qint64(rows.size()) < count) {
        zip += step(m_random);
        if (zip > LastZip)
            zip = FirstZip + step(m_random);  // a second pass fills in towns between the first
        if (zipsLeft-- <= 0) {
            town = townName();
            zipsLeft = moreZips(m_random);
        }
        const std::size_t region = std::size_t(qint64(zip - FirstZip) * qint64(usStates.size()) / (LastZip - FirstZip + 1));
        const std::string &state = usStates[std::min(region, usStates.size() - 1)];
        if (taken.emplace(town, state, zip).second)
            rows.push_back({town, state, zip});
    }
    return rows;
}

std::string AddressGenerator::streetLine()
{
    // House numbers: many short ones, fewer long ones.
    std::uniform_int_distribution<int> digits(1, 5);
    const int limit = int(std::pow(10, digits(m_random)));
    const int number = std::uniform_int_distribution<int>(1, limit - 1)(m_random);
    return fitted(std::to_string(number) + ' ' + pick(DemoReferenceData::streetNames(), m_random), 30);
}

std::string AddressGenerator::secondLine()
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    if (unit(m_random) >= 0.12)
        return std::string();
    const int number = std::uniform_int_distribution<int>(1, 400)(m_random);
    if (unit(m_random) < 0.8)
        return "APT " + std::to_string(number) + char('A' + number % 6);
    return "STE " + std::to_string(number * 10);
}

} // namespace Torva
