#include "namegenerator.h"

#include "demoreferencedata.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>
#include <vector>

namespace Torva {

namespace {

// Surname endings, the most frequent first.
constexpr const char *Endings[] = {
    "SON",  "ER",    "S",    "EZ",  "MAN",  "LEY",  "TON",  "ES",   "EN",   "ELL", "INS", "ARD",
    "FORD", "WOOD",  "BERG", "SKI", "ETTE", "INI",  "ANO",  "ADO",  "STEIN", "OV", "FIELD", "HAM",
    "LAND", "OWSKI", "AULT", "INO", "WICZ", "ELLI", "QUIST", "AKER", "MORE", "WELL"};

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

// The share of US surnames beginning with each letter, in percent.
constexpr double SurnameInitials[26] = {
    3.5, 9.3, 7.7, 4.8, 1.9, 3.6, 5.3, 7.5, 0.4, 2.9, 3.6, 5.1, 9.6,  // A to M
    1.9, 1.5, 5.2, 0.2, 5.8, 10.0, 3.6, 0.3, 1.7, 5.9, 0.05, 0.6, 0.5};  // N to Z

// Surnames weighted so that their initials are spread as real surnames'
// are, and within one initial by rank.
std::discrete_distribution<int> surnamesByInitial()
{
    const auto pool = DemoReferenceData::lastNames();
    const std::vector<double> byRank = rankWeights(pool.size());
    double letterTotals[26] = {};
    for (std::size_t i = 0; i < pool.size(); ++i)
        letterTotals[pool[i][0] - 'A'] += byRank[i];
    std::vector<double> weights(pool.size());
    for (std::size_t i = 0; i < pool.size(); ++i) {
        const int letter = pool[i][0] - 'A';
        weights[i] = SurnameInitials[letter] * byRank[i] / letterTotals[letter];
    }
    return std::discrete_distribution<int>(weights.begin(), weights.end());
}

} // namespace

NameGenerator::NameGenerator(std::mt19937_64 &random)
    : m_random(random)
    , m_surnames(surnamesByInitial())
    , m_givenNames(byRank(DemoReferenceData::firstNames()))
    , m_endings(byRank(Endings))
{
}

bool NameGenerator::chance(double probability)
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < probability;
}

std::string NameGenerator::surname()
{
    if (chance(0.45))
        return DemoReferenceData::lastNames()[m_surnames(m_random)];
    return builtSurname();
}

std::string NameGenerator::builtSurname()
{
    // The beginning of a common surname keeps the first letters spread as
    // real surnames spread them.
    std::string stem = DemoReferenceData::lastNames()[m_surnames(m_random)];
    stem.erase(std::remove_if(stem.begin(), stem.end(), [](char c) { return c < 'A' || c > 'Z'; }), stem.end());
    const std::size_t keep = std::min<std::size_t>(stem.size(), std::uniform_int_distribution<std::size_t>(2, 5)(m_random));
    std::string name = stem.substr(0, keep) + Endings[m_endings(m_random)];
    if (chance(0.25)) {
        std::uniform_int_distribution<int> letter('A', 'Z');
        const int extra = chance(0.7) ? 1 : 2;
        for (int i = 0; i < extra; ++i)
            name += char(letter(m_random));
    }
    return name.substr(0, 14);
}

std::string NameGenerator::givenName()
{
    return DemoReferenceData::firstNames()[m_givenNames(m_random)];
}

std::string NameGenerator::personName(int maxLength)
{
    if (maxLength < 10)
        throw std::invalid_argument("a person name needs at least 10 characters");
    std::string last = surname();
    std::string first = givenName();
    std::string middle;
    if (chance(0.75)) {
        const std::string middleName = givenName();
        middle = maxLength >= 30 && chance(0.3) ? middleName : middleName.substr(0, 1);
    }

    // Fit the limit: the middle name goes first, then the given name is cut,
    // then the surname, always keeping "LAST, F".
    const auto length = [&] { return last.size() + 2 + first.size() + (middle.empty() ? 0 : middle.size() + 1); };
    if (length() > std::size_t(maxLength) && middle.size() > 1)
        middle.resize(1);
    if (length() > std::size_t(maxLength))
        middle.clear();
    if (last.size() + 3 > std::size_t(maxLength))
        last.resize(std::size_t(maxLength) - 3);
    if (length() > std::size_t(maxLength))
        first.resize(std::size_t(maxLength) - last.size() - 2);
    std::string name = last + ", " + first;
    if (!middle.empty())
        name += ' ' + middle;
    return name;
}

} // namespace Torva
